// A MIDI sender for the end-to-end scripts: the JACK client "keyrill-sender" with one MIDI output
// port, "out", that sends each line of hexadecimal bytes read from standard input ("90 3c 64")
// as one message in the next process cycle. It ends at the end of its input.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kRecord = 4; // the size, then up to three bytes
jack_port_t* port = nullptr;
jack_ringbuffer_t* queue = nullptr;

int Process(jack_nframes_t frames, void*)
{
    void* buffer = jack_port_get_buffer(port, frames);
    jack_midi_clear_buffer(buffer);
    unsigned char record[kRecord];
    while (jack_ringbuffer_read_space(queue) >= kRecord) {
        jack_ringbuffer_read(queue, reinterpret_cast<char*>(record), kRecord);
        jack_midi_event_write(buffer, 0, record + 1, record[0]);
    }
    return 0;
}

} // namespace

int main()
{
    jack_client_t* client = jack_client_open("keyrill-sender", JackNoStartServer, nullptr);
    queue = jack_ringbuffer_create(4096);
    port = client ? jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0)
                  : nullptr;
    if (!port || jack_set_process_callback(client, &Process, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_send: no JACK server or no port\n");
        return 1;
    }
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream bytes(line);
        unsigned char record[kRecord] = {};
        for (unsigned byte = 0; record[0] < 3 && bytes >> std::hex >> byte;)
            record[1 + record[0]++] = static_cast<unsigned char>(byte);
        if (record[0] > 0)
            jack_ringbuffer_write(queue, reinterpret_cast<const char*>(record), kRecord);
    }
    usleep(200000); // the last message's cycle
    jack_client_close(client);
    return 0;
}
