// A MIDI sender and receiver for the end-to-end scripts: the JACK client "keyrill-sender" (or the
// name given as the first argument) with one MIDI output port, "out", that sends each line of
// hexadecimal bytes read from standard input ("90 3c 64") as one message in the next process
// cycle, and one MIDI input port, "in", whose messages it prints as such lines. The lines "-out",
// "+out", "-in" and "+in" unregister a port and register it again while the client stays. It
// ends at the end of its input.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kRecord = 17; // the size, then up to 16 bytes (a short system exclusive)
jack_client_t* client = nullptr;
std::atomic<jack_port_t*> port{nullptr};
std::atomic<jack_port_t*> input{nullptr};
jack_ringbuffer_t* queue = nullptr;

int Process(jack_nframes_t frames, void*)
{
    if (jack_port_t* out = port.load()) {
        void* buffer = jack_port_get_buffer(out, frames);
        jack_midi_clear_buffer(buffer);
        unsigned char record[kRecord];
        while (jack_ringbuffer_read_space(queue) >= kRecord) {
            jack_ringbuffer_read(queue, reinterpret_cast<char*>(record), kRecord);
            jack_midi_event_write(buffer, 0, record + 1, record[0]);
        }
    }
    if (jack_port_t* in = input.load()) {
        void* buffer = jack_port_get_buffer(in, frames);
        jack_midi_event_t event;
        for (std::uint32_t at = 0; jack_midi_event_get(&event, buffer, at) == 0; ++at) {
            for (std::size_t byte = 0; byte < event.size; ++byte)
                std::printf(byte ? " %02x" : "%02x", unsigned(event.buffer[byte]));
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    return 0;
}

// Registers or unregisters a port; the process thread sees it only while it is registered.
void Toggle(std::atomic<jack_port_t*>& slot, const char* name, unsigned long flags, bool on)
{
    if (!on && slot.load()) {
        jack_port_t* old = slot.exchange(nullptr);
        usleep(50000); // the process thread's cycle with the port ends first
        jack_port_unregister(client, old);
    } else if (on && !slot.load()) {
        slot = jack_port_register(client, name, JACK_DEFAULT_MIDI_TYPE, flags, 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    client = jack_client_open(argc > 1 ? argv[1] : "keyrill-sender", JackNoStartServer, nullptr);
    queue = jack_ringbuffer_create(4096);
    if (client) {
        Toggle(port, "out", JackPortIsOutput, true);
        Toggle(input, "in", JackPortIsInput, true);
    }
    if (!port || !input || jack_set_process_callback(client, &Process, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_send: no JACK server or no port\n");
        return 1;
    }
    for (std::string line; std::getline(std::cin, line);) {
        if (line.size() > 1 && (line[0] == '-' || line[0] == '+')) {
            const bool on = line[0] == '+';
            if (line.substr(1) == "out")
                Toggle(port, "out", JackPortIsOutput, on);
            else
                Toggle(input, "in", JackPortIsInput, on);
            continue;
        }
        std::istringstream bytes(line);
        unsigned char record[kRecord] = {};
        for (unsigned byte = 0; record[0] < kRecord - 1 && bytes >> std::hex >> byte;)
            record[1 + record[0]++] = static_cast<unsigned char>(byte);
        if (record[0] > 0)
            jack_ringbuffer_write(queue, reinterpret_cast<const char*>(record), kRecord);
    }
    usleep(200000); // the last message's cycle
    jack_client_close(client);
    return 0;
}
