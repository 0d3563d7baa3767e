#include "DeviceWatch.h"

#include "KeyrillVersion.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace {

const char* const kWatchClientName = KEYRILL_PRODUCT_NAME "-watch";

// The last blank-separated word of a name: RtMidi's ALSA names end in the port's address.
std::string_view LastWord(std::string_view name)
{
    const std::size_t blank = name.rfind(' ');
    return blank == std::string_view::npos ? name : name.substr(blank + 1);
}

} // namespace

bool TPortNotice::Affects(const std::string& deviceName) const
{
    if (Port.empty())
        return false;
    if (deviceName == Port)
        return true;
    const std::string_view address = LastWord(deviceName);
    if (Port.back() != ':')
        return address == Port;
    // Every port of a client: ALSA's address ends the name, JACK's client name starts it.
    return address.starts_with(Port) || deviceName.starts_with(Port);
}

TPortNotice DecodeAlsaAnnounce(const snd_seq_event_t& event)
{
    using TKind = TPortNotice::TKind;
    if (event.source.client != SND_SEQ_CLIENT_SYSTEM ||
        event.source.port != SND_SEQ_PORT_SYSTEM_ANNOUNCE)
        return {};
    const snd_seq_addr_t& addr = event.data.addr;
    const std::string port = std::to_string(addr.client) + ":" + std::to_string(addr.port);
    const std::string client = std::to_string(addr.client) + ":";
    switch (event.type) {
    case SND_SEQ_EVENT_PORT_START:
    case SND_SEQ_EVENT_CLIENT_START:
        return {TKind::Listed, {}};
    case SND_SEQ_EVENT_CLIENT_EXIT: // its ports said goodbye before, but not each must have
        return {TKind::Gone, client};
    case SND_SEQ_EVENT_PORT_EXIT:
        return {TKind::Gone, port};
    case SND_SEQ_EVENT_PORT_CHANGE:
        return {TKind::Renamed, port};
    case SND_SEQ_EVENT_CLIENT_CHANGE: // the client's name is part of every port's name
        return {TKind::Renamed, client};
    default: // a client without ports yet, subscriptions, anything else
        return {};
    }
}

TJackWatch::~TJackWatch()
{
    if (m_client)
        jack_client_close(m_client); // no callback runs after this
    for (const int end : m_pipe)
        if (end >= 0)
            ::close(end);
}

bool TJackWatch::Start()
{
    jack_status_t status{};
    m_client = jack_client_open(kWatchClientName, JackNoStartServer, &status);
    if (!m_client)
        return false;
    m_down.store(false, std::memory_order_release);
    jack_on_info_shutdown(
        m_client,
        [](jack_status_t code, const char* reason, void* self) {
            OnShutdown(int(code), reason, self);
        },
        this);
    // Port notices come only to an active client; without a process callback it has no
    // real-time thread and costs the server's cycle nothing.
    if ((m_pipe[0] >= 0 || ::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) == 0) &&
        jack_set_port_registration_callback(m_client, &OnRegistration, this) == 0 &&
        jack_set_client_registration_callback(m_client, &OnClient, this) == 0 &&
        jack_set_port_rename_callback(m_client, &OnRename, this) == 0)
        jack_activate(m_client);
    return true;
}

bool TJackWatch::Restart()
{
    if (!ServerDown())
        return true;
    // Asked once a second while there is no server: its absence is no news to print each time.
    jack_set_error_function([](const char*) {});
    Close();
    const bool started = Start();
    jack_set_error_function(nullptr);
    if (started)
        m_reason.clear();
    return started;
}

void TJackWatch::Close()
{
    if (m_client)
        jack_client_close(m_client);
    m_client = nullptr;
}

std::string TJackWatch::FailureText() const
{
    std::string text = "The JACK server has stopped; the MIDI output is no longer connected";
    if (!m_reason.empty())
        text += " (" + m_reason + ")";
    return text;
}

// Called once; the reason is written before the flag is published.
void TJackWatch::OnShutdown(int, const char* reason, void* self)
{
    auto* watch = static_cast<TJackWatch*>(self);
    if (reason)
        watch->m_reason = reason;
    watch->m_down.store(true, std::memory_order_release);
    watch->Notify({TPortNotice::TKind::Listed, {}}); // every device is gone with it
}

void TJackWatch::OnRegistration(unsigned port, int registered, void* self)
{
    auto* watch = static_cast<TJackWatch*>(self);
    // MIDI ports of either direction: inputs are devices to send to, outputs devices to listen
    // to. Audio ports come and go unheard.
    // Audio ports come and go unheard. A port that goes has lost its type by now: every one
    // that goes is told, which can only touch a connection to a MIDI port of that name.
    using TKind = TPortNotice::TKind;
    const jack_port_t* found = jack_port_by_id(watch->m_client, port);
    if (!registered)
        watch->Notify(found ? TPortNotice{TKind::Gone, jack_port_name(found)}
                            : TPortNotice{TKind::Listed, {}});
    else if (found && std::string_view(jack_port_type(found)) == JACK_DEFAULT_MIDI_TYPE)
        watch->Notify({TKind::Listed, jack_port_name(found)});
}

// A client that quits is told while its ports are still listed; this comes once they are not.
void TJackWatch::OnClient(const char* name, int registered, void* self)
{
    if (!registered && name)
        static_cast<TJackWatch*>(self)->Notify({TPortNotice::TKind::Gone, std::string(name) + ":"});
}

void TJackWatch::OnRename(unsigned, const char* oldName, const char*, void* self)
{
    static_cast<TJackWatch*>(self)->Notify({TPortNotice::TKind::Renamed, oldName});
}

void TJackWatch::Notify(TPortNotice notice)
{
    {
        const std::lock_guard lock(m_mutex);
        m_notices.push_back(std::move(notice));
        m_pending.store(true, std::memory_order_release);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_pipe[1], &byte, 1); // full: one waits
}

void TJackWatch::Acknowledge()
{
    char bytes[64];
    while (m_pipe[0] >= 0 && ::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

std::vector<TPortNotice> TJackWatch::Take()
{
    const std::lock_guard lock(m_mutex);
    m_pending.store(false, std::memory_order_release);
    return std::exchange(m_notices, {});
}

TAlsaWatch::~TAlsaWatch()
{
    if (m_seq)
        snd_seq_close(m_seq);
}

bool TAlsaWatch::Start()
{
    if (snd_seq_open(&m_seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        m_seq = nullptr;
        return false;
    }
    snd_seq_set_client_name(m_seq, kWatchClientName);
    const int port = snd_seq_create_simple_port(m_seq, "announce",
                                                SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                SND_SEQ_PORT_TYPE_APPLICATION);
    pollfd descriptor{};
    if (port < 0 ||
        snd_seq_connect_from(m_seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) <
            0 ||
        snd_seq_poll_descriptors(m_seq, &descriptor, 1, POLLIN) != 1) {
        snd_seq_close(m_seq);
        m_seq = nullptr;
        return false;
    }
    m_descriptor = descriptor.fd;
    return true;
}

std::vector<TPortNotice> TAlsaWatch::Take()
{
    std::vector<TPortNotice> notices;
    for (;;) {
        snd_seq_event_t* event = nullptr;
        const int result = snd_seq_event_input(m_seq, &event);
        if (result == -ENOSPC) { // events were lost: the list must be taken again
            notices.push_back({TPortNotice::TKind::Listed, {}});
            continue;
        }
        if (result < 0 || !event)
            break;
        if (TPortNotice notice = DecodeAlsaAnnounce(*event);
            notice.Kind != TPortNotice::TKind::None)
            notices.push_back(std::move(notice));
    }
    return notices;
}
