#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <jack/ringbuffer.h>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;
class IMidiInputSink;

// One MIDI port of the program's own under JACK, on a client of its own: an output that sends
// what it is given in the next process cycle, or an input that hands each channel message to a
// sink. Unlike RtMidi's JACK ports it says whether a connection was made, and it can be closed
// at any time. An input ignores system-exclusive data: JACK hands each message over whole, so an
// unterminated one cannot swallow the messages after it.
class TJackPort
{
public:
    // Opens the client and registers the port (an input when `sink` is given); nullptr, with
    // `failure` set, when JACK refuses.
    static std::unique_ptr<TJackPort> Open(const std::string& clientName,
                                           const std::string& portName, IMidiInputSink* sink,
                                           std::string& failure);
    ~TJackPort(); // no callback runs after it
    TJackPort(const TJackPort&) = delete;
    TJackPort& operator=(const TJackPort&) = delete;

    // Connects the port to `other` ("client:port"): true when JACK made the connection or it
    // stood already.
    bool Connect(const std::string& other, std::string& failure);
    void DisconnectAll();
    // Queues one message for the next cycle; false when the queue is full.
    bool Send(const unsigned char* bytes, std::size_t length);

private:
    TJackPort() = default;
    static int Process(unsigned frames, void* self);

    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
    jack_ringbuffer_t* m_queue = nullptr;
    IMidiInputSink* m_sink = nullptr;
    std::string m_name;
};
