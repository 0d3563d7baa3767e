#include "JackPort.h"

#include "MidiService.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

constexpr std::size_t kQueueBytes = 16384;
// The longest message (a system-exclusive one); the queue holds each message's length, in two
// bytes, before it.
constexpr std::size_t kLongest = 1024;
constexpr std::size_t kLengthBytes = 2;

} // namespace

std::unique_ptr<TJackPort> TJackPort::Open(const std::string& clientName,
                                           const std::string& portName, IMidiInputSink* sink,
                                           std::string& failure)
{
    std::unique_ptr<TJackPort> port(new TJackPort);
    port->m_sink = sink;
    port->m_client = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
    if (!port->m_client) {
        failure = "The JACK server cannot be reached";
        return nullptr;
    }
    if (!sink)
        port->m_queue = jack_ringbuffer_create(kQueueBytes);
    port->m_port = jack_port_register(port->m_client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                      sink ? JackPortIsInput : JackPortIsOutput, 0);
    if (!port->m_port || (!sink && !port->m_queue) ||
        jack_set_process_callback(port->m_client, &Process, port.get()) != 0 ||
        jack_activate(port->m_client) != 0) {
        failure = "JACK refused the MIDI port \"" + portName + "\"";
        return nullptr;
    }
    port->m_name = jack_port_name(port->m_port);
    return port;
}

TJackPort::~TJackPort()
{
    // What is queued still goes out (a Release sent as the program closes): a few cycles at most.
    if (m_queue && jack_ringbuffer_read_space(m_queue) > 0) {
        for (int waited = 0; waited < 100 && jack_ringbuffer_read_space(m_queue) > 0; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the cycle that took it
    }
    if (m_client)
        jack_client_close(m_client);
    if (m_queue)
        jack_ringbuffer_free(m_queue);
}

bool TJackPort::Connect(const std::string& other, std::string& failure)
{
    const int result = m_sink ? jack_connect(m_client, other.c_str(), m_name.c_str())
                              : jack_connect(m_client, m_name.c_str(), other.c_str());
    if (result == 0 || result == EEXIST) {
        // Live from the cycle whose graph has it: what is sent before would be lost (a Release
        // owed to a device that has just come back). A cycle or two.
        for (int waited = 0; waited < 200 && !jack_port_connected_to(m_port, other.c_str());
             ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    failure = "The MIDI device \"" + other + "\" could not be connected";
    return false;
}

void TJackPort::DisconnectAll()
{
    jack_port_disconnect(m_client, m_port);
}

bool TJackPort::Send(const unsigned char* bytes, std::size_t length)
{
    if (!m_queue || length == 0 || length > kLongest ||
        jack_ringbuffer_write_space(m_queue) < length + kLengthBytes)
        return false;
    const char size[kLengthBytes] = {char(length & 0xFF), char(length >> 8)};
    jack_ringbuffer_write(m_queue, size, kLengthBytes);
    jack_ringbuffer_write(m_queue, reinterpret_cast<const char*>(bytes), length);
    return true;
}

int TJackPort::Process(unsigned frames, void* self)
{
    auto* port = static_cast<TJackPort*>(self);
    void* buffer = jack_port_get_buffer(port->m_port, frames);
    if (port->m_sink) {
        jack_midi_event_t event;
        for (std::uint32_t at = 0; jack_midi_event_get(&event, buffer, at) == 0; ++at) {
            const jack_midi_data_t* b = event.buffer;
            if (event.size == 0 || b[0] < 0x80 || b[0] >= 0xF0)
                continue; // only channel messages light anything
            port->m_sink->Received(b[0], event.size > 1 ? b[1] : 0, event.size > 2 ? b[2] : 0);
        }
        return 0;
    }
    jack_midi_clear_buffer(buffer);
    unsigned char size[kLengthBytes] = {};
    unsigned char bytes[kLongest];
    while (jack_ringbuffer_peek(port->m_queue, reinterpret_cast<char*>(size), kLengthBytes) ==
           kLengthBytes) {
        const std::size_t length = std::size_t(size[0]) | std::size_t(size[1]) << 8;
        // A message the cycle's buffer has no room for left waits for the next cycle, in order.
        if (jack_ringbuffer_read_space(port->m_queue) < length + kLengthBytes)
            break;
        if (jack_midi_max_event_size(buffer) < length) {
            if (jack_midi_get_event_count(buffer) > 0)
                break;
            // Longer than any cycle's buffer of this server can hold: it can never go out.
            jack_ringbuffer_read_advance(port->m_queue, kLengthBytes + length);
            continue;
        }
        jack_ringbuffer_read_advance(port->m_queue, kLengthBytes);
        jack_ringbuffer_read(port->m_queue, reinterpret_cast<char*>(bytes), length);
        jack_midi_event_write(buffer, 0, bytes, length);
    }
    return 0;
}
