#include "InputQueue.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <vector>

TInputQueue::TInputQueue(THandler handler) : m_handler(std::move(handler))
{
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wake >= 0 && QCoreApplication::instance()) {
        m_notifier = std::make_unique<QSocketNotifier>(m_wake, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { Drain(); });
    }
}

TInputQueue::~TInputQueue()
{
    m_notifier.reset();
    if (m_wake >= 0)
        ::close(m_wake);
}

void TInputQueue::Received(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) noexcept
{
    const std::uint32_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) == kCapacity) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
    } else {
        m_ring[tail % kCapacity] = TShortMessage{status, data1, data2}.Packed();
        m_tail.store(tail + 1, std::memory_order_seq_cst);
    }
    // In one order with Drain's clearing and reading (all sequentially consistent): either this
    // sees the wake-up cleared and wakes the loop, or Drain's read below sees the message.
    if (!m_wakePending.exchange(true, std::memory_order_seq_cst) && m_wake >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    }
}

void TInputQueue::Drain()
{
    const auto started = std::chrono::steady_clock::now();
    std::uint64_t count = 0;
    if (m_wake >= 0) {
        [[maybe_unused]] const ssize_t taken = ::read(m_wake, &count, sizeof count);
    }
    // Cleared before the ring is read: a message put in after this is either read below or
    // wakes the loop again, never left waiting.
    m_wakePending.store(false, std::memory_order_seq_cst);
    const std::uint32_t head = m_head.load(std::memory_order_relaxed);
    const std::uint32_t tail = m_tail.load(std::memory_order_seq_cst);
    if (head == tail)
        return;
    std::vector<TShortMessage> messages;
    messages.reserve(tail - head);
    for (std::uint32_t at = head; at != tail; ++at) {
        const std::uint32_t packed = m_ring[at % kCapacity];
        messages.push_back(
            {std::uint8_t(packed), std::uint8_t(packed >> 8), std::uint8_t(packed >> 16)});
    }
    m_head.store(tail, std::memory_order_release);
    m_delivered += messages.size();
    ++m_wakeups;
    if (m_handler)
        m_handler(messages);
    m_busy += std::chrono::steady_clock::now() - started;
}
