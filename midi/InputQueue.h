#pragma once

#include "MidiService.h"
#include "model/MidiCatalogue.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class QSocketNotifier;

// Carries the messages of an open input from the MIDI service's thread to the thread that made
// the queue. The service's thread only puts the three bytes into a ring without a lock and, when
// no wake-up is pending yet, wakes the event loop once; the event loop then hands everything that
// waits to the handler in one go. So a burst of messages costs the receiving thread one wake-up,
// and the service's thread never waits for it. One producer at a time (one input open).
class TInputQueue final : public IMidiInputSink
{
public:
    using THandler = std::function<void(std::span<const TShortMessage>)>;

    explicit TInputQueue(THandler handler);
    ~TInputQueue();
    TInputQueue(const TInputQueue&) = delete;
    TInputQueue& operator=(const TInputQueue&) = delete;

    // The service's thread.
    void Received(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept override;

    // The receiving thread: hands what waits to the handler (the event loop calls it on a
    // wake-up).
    void Drain();

    // For diagnostics and benchmarks: messages lost to a full ring, messages handed over, the
    // wake-ups that handed them over, and the time spent on it (the handler's included).
    std::uint64_t Dropped() const { return m_dropped.load(std::memory_order_relaxed); }
    std::uint64_t Delivered() const { return m_delivered; }
    std::uint64_t Wakeups() const { return m_wakeups; }
    std::chrono::nanoseconds Busy() const { return m_busy; }

private:
    static constexpr std::uint32_t kCapacity = 4096; // a power of two

    THandler m_handler;
    std::array<std::uint32_t, kCapacity> m_ring{};
    std::atomic<std::uint32_t> m_head{0}; // next to read; written by the receiving thread
    std::atomic<std::uint32_t> m_tail{0}; // next to write; written by the service's thread
    std::atomic<bool> m_wakePending{false};
    std::atomic<std::uint64_t> m_dropped{0};
    int m_wake = -1; // eventfd
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::uint64_t m_delivered = 0;
    std::uint64_t m_wakeups = 0;
    std::chrono::nanoseconds m_busy{0};
};
