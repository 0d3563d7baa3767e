#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// A private JACK server for tests: `jackd -n <unique name> -r -d dummy`, no sound card needed.
// While it lives, JACK_DEFAULT_SERVER names it, so every JACK client of this process (RtMidi's
// included) talks to it. The constructor returns once the server accepts clients and throws
// std::runtime_error (with jackd's output) when it does not start. The destructor stops exactly
// this jackd, by its process id, and waits for it.
//
//   TJackServer server;                 // in a test, or once per suite in SetUpTestSuite
//   TJackMidiReceiver receiver;         // a MIDI input port: receiver.PortName()
//   ... open the port through TMidiOutput, send ...
//   ASSERT_TRUE(receiver.WaitFor(3, std::chrono::seconds(5)));
class TJackServer
{
public:
    // `periodFrames` at 48000 Hz: 256 frames deliver MIDI within about 5 ms.
    explicit TJackServer(int periodFrames = 256,
                         std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
    ~TJackServer();
    TJackServer(const TJackServer&) = delete;
    TJackServer& operator=(const TJackServer&) = delete;

    const std::string& Name() const { return m_name; }
    pid_t Pid() const { return m_pid; }
    bool Running() const; // false once jackd has exited

private:
    void Stop();
    std::string Log() const;

    std::string m_name;
    std::string m_logPath;
    pid_t m_pid = -1;
    mutable bool m_exited = false;
    std::optional<std::string> m_previousDefaultServer;
};

// A JACK client with one MIDI input port that records the bytes of every event it receives, in
// order. Thread-safe: JACK's process thread records, the test reads and waits.
class TJackMidiReceiver
{
public:
    using TEvent = std::vector<std::uint8_t>;

    // Connects to the server named by JACK_DEFAULT_SERVER; throws std::runtime_error on failure.
    explicit TJackMidiReceiver(const std::string& clientName = "keyrill-receiver",
                               const std::string& portName = "in");
    ~TJackMidiReceiver();
    TJackMidiReceiver(const TJackMidiReceiver&) = delete;
    TJackMidiReceiver& operator=(const TJackMidiReceiver&) = delete;

    // The port's full name, "client:port", as a MIDI output's device list shows it.
    const std::string& PortName() const { return m_portName; }

    std::vector<TEvent> Events() const;
    std::size_t Count() const;
    void Clear();
    // Waits until at least `count` events have arrived; false on timeout.
    bool WaitFor(std::size_t count,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // Waits until at least `count` ports are connected to this one: a message sent before its
    // connection is live in the server is lost, as on any JACK port. False on timeout.
    bool WaitForConnections(int count = 1,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    int Connections() const; // ports connected to this one now

    // The full names of the server's MIDI output ports that match the extended regular expression
    // `pattern` (as jack_get_ports takes it), e.g. "^Keyrill[^:]*:Output 1$".
    std::vector<std::string> MidiOutputPorts(const std::string& pattern) const;
    // Connects the MIDI output port `source` ("client:port") to this receiver's input, as a
    // patchbay or a DAW would; false when the server refuses.
    bool ConnectFrom(const std::string& source) const;

    // The port alone goes, and comes back under its name; the client stays.
    void UnregisterPort();
    bool RegisterPort();

    // The receiver goes away: its port and client disappear from the server. Idempotent.
    void Close();
    bool IsOpen() const { return m_client != nullptr; }

private:
    static int Process(std::uint32_t frames, void* self);

    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    std::string m_portName;
    std::string m_portShort;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<TEvent> m_events;
};

// A port's position in the device list that a fresh RtMidi device object takes; -1 when absent.
int DeviceIndexOf(const std::string& portName);
