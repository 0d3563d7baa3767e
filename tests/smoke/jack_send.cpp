// A MIDI sender for the end-to-end scripts: the JACK client "keyrill-sender" with one MIDI output
// port, "out", that sends each line of hexadecimal bytes read from standard input ("90 3c 64")
// as one message in the next process cycle. It ends at the end of its input. Given a client name,
// it also prints what its input port "in" gets, and lines "-in", "+in", "-out", "+out"
// unregister a port and register it again.
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

constexpr std::size_t kRecord = 17; // the size, then up to 16 bytes
jack_client_t* client = nullptr;
std::atomic<jack_port_t*> port{nullptr}, input{nullptr};
jack_ringbuffer_t* queue = nullptr;

int Process(jack_nframes_t frames, void*)
{
    jack_midi_event_t in;
    for (std::uint32_t at = 0;
         input && jack_midi_event_get(&in, jack_port_get_buffer(input, frames), at) == 0; ++at)
        for (std::size_t byte = 0; byte < in.size; ++byte)
            std::printf(byte + 1 < in.size ? "%02x " : "%02x\n", unsigned(in.buffer[byte]));
    std::fflush(stdout);
    if (!port)
        return 0;
    void* buffer = jack_port_get_buffer(port, frames);
    jack_midi_clear_buffer(buffer);
    unsigned char record[kRecord];
    while (jack_ringbuffer_read_space(queue) >= kRecord) {
        jack_ringbuffer_read(queue, reinterpret_cast<char*>(record), kRecord);
        jack_midi_event_write(buffer, 0, record + 1, record[0]);
    }
    return 0;
}

void Toggle(std::atomic<jack_port_t*>& slot, const std::string& name, bool on)
{
    if (jack_port_t* old = on ? nullptr : slot.exchange(nullptr)) {
        usleep(50000); // the process cycle with the port ends first
        jack_port_unregister(client, old);
    } else if (on && !slot) {
        slot = jack_port_register(client, name.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                  name == "in" ? JackPortIsInput : JackPortIsOutput, 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    client = jack_client_open(argc > 1 ? argv[1] : "keyrill-sender", JackNoStartServer, nullptr);
    queue = jack_ringbuffer_create(4096);
    if (client)
        Toggle(port, "out", true);
    if (client && argc > 1)
        Toggle(input, "in", true);
    if (!port || jack_set_process_callback(client, &Process, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_send: no JACK server or no port\n");
        return 1;
    }
    for (std::string line; std::getline(std::cin, line);) {
        if (line[0] == '-' || line[0] == '+') {
            Toggle(line.substr(1) == "in" ? input : port, line.substr(1), line[0] == '+');
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
