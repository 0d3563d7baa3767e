#include "JackServer.h"

#include "midi/Midi.h"
#include "midi/RtMidiService.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::atomic<bool> g_quietJack{false};

// libjack prints every failed connection attempt; while the server starts, those are expected.
void JackErrorToStderr(const char* text)
{
    if (!g_quietJack)
        std::fprintf(stderr, "%s\n", text);
}

void InstallJackErrorFunction()
{
    static const bool installed = [] {
        jack_set_error_function(&JackErrorToStderr);
        return true;
    }();
    (void)installed;
}

bool ServerAccepts(const std::string& name)
{
    jack_status_t status{};
    jack_client_t* probe = jack_client_open(
        "keyrill-probe", jack_options_t(JackNoStartServer | JackServerName), &status, name.c_str());
    if (!probe)
        return false;
    jack_client_close(probe);
    return true;
}

// JACK keeps a small registry of server names (eight) that frees a dead server's entry only when
// a server of the same name starts again. So the test servers reuse a few fixed names: the first
// that no running server answers to.
std::string FreeServerName()
{
    g_quietJack = true;
    std::string name;
    for (int i = 0; i < 4 && name.empty(); ++i) {
        std::string candidate = "keyrill-test-" + std::to_string(i);
        if (!ServerAccepts(candidate))
            name = std::move(candidate);
    }
    g_quietJack = false;
    return name.empty() ? "keyrill-test-" + std::to_string(::getpid()) : name;
}

} // namespace

TJackServer::TJackServer(int periodFrames, std::chrono::milliseconds startTimeout)
    : m_name(FreeServerName())
{
    InstallJackErrorFunction();

    char logPath[] = "/tmp/keyrill-jackd-XXXXXX";
    const int logFd = ::mkstemp(logPath);
    if (logFd < 0)
        throw std::runtime_error("TJackServer: cannot create a log file");
    m_logPath = logPath;

    const std::string period = std::to_string(periodFrames);
    // A long client timeout: on a loaded machine without real-time threads a slow cycle must not
    // make the server throw a client out.
    std::vector<std::string> args = {"jackd", "-n",    m_name, "-r",   "-t", "10000", "-d", "dummy",
                                     "-r",    "48000", "-p",   period, "-C", "0",     "-P", "0"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, logFd);
    const int spawned = posix_spawnp(&m_pid, "jackd", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(logFd);
    if (spawned != 0) {
        m_pid = -1;
        ::unlink(m_logPath.c_str());
        throw std::runtime_error("TJackServer: cannot start jackd (install the Debian package "
                                 "jackd2): " +
                                 std::string(std::strerror(spawned)));
    }

    if (const char* previous = std::getenv("JACK_DEFAULT_SERVER"))
        m_previousDefaultServer = previous;
    ::setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);

    const auto deadline = std::chrono::steady_clock::now() + startTimeout;
    g_quietJack = true;
    bool ready = false;
    while (!ready && Running() && std::chrono::steady_clock::now() < deadline) {
        ready = ServerAccepts(m_name);
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    g_quietJack = false;
    if (!ready) {
        const std::string log = Log();
        Stop();
        throw std::runtime_error("TJackServer: jackd did not accept clients; its output:\n" + log);
    }
}

TJackServer::~TJackServer()
{
    Stop();
}

bool TJackServer::Running() const
{
    if (m_pid <= 0 || m_exited)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_exited = true; // reaped: the pid must not be signalled any more
    return false;
}

std::string TJackServer::Log() const
{
    std::ifstream file(m_logPath);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

namespace {

// A server stopped while clients are still attached leaves their semaphore files behind in
// /dev/shm; the server's name is unique to this run, so everything carrying it can go.
void RemoveLeftoverSemaphores(const std::string& serverName)
{
    const std::string marker = "_" + serverName + "_";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("jack_sem.", 0) == 0 && name.find(marker) != std::string::npos)
            std::filesystem::remove(entry.path(), error);
    }
}

} // namespace

void TJackServer::Stop()
{
    if (m_pid > 0 && !m_exited) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(m_pid, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
    }
    m_pid = -1;
    RemoveLeftoverSemaphores(m_name);
    if (!m_logPath.empty()) {
        ::unlink(m_logPath.c_str());
        m_logPath.clear();
    }
    if (m_previousDefaultServer)
        ::setenv("JACK_DEFAULT_SERVER", m_previousDefaultServer->c_str(), 1);
    else
        ::unsetenv("JACK_DEFAULT_SERVER");
    m_previousDefaultServer.reset();
}

TJackMidiReceiver::TJackMidiReceiver(const std::string& clientName, const std::string& portName)
{
    InstallJackErrorFunction();
    jack_status_t status{};
    m_client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!m_client)
        throw std::runtime_error("TJackMidiReceiver: cannot connect to the JACK server");
    m_port =
        jack_port_register(m_client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!m_port || jack_set_process_callback(m_client, &TJackMidiReceiver::Process, this) != 0 ||
        jack_activate(m_client) != 0) {
        jack_client_close(m_client);
        m_client = nullptr;
        throw std::runtime_error("TJackMidiReceiver: cannot set up the MIDI input port");
    }
    m_portName = jack_port_name(m_port);
}

void TJackMidiReceiver::UnregisterPort()
{
    m_portShort = jack_port_short_name(m_port);
    jack_deactivate(m_client); // the process callback reads the port
    jack_port_unregister(m_client, m_port);
    m_port = nullptr;
}

bool TJackMidiReceiver::RegisterPort()
{
    m_port = jack_port_register(m_client, m_portShort.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                JackPortIsInput, 0);
    return m_port && jack_activate(m_client) == 0;
}

TJackMidiReceiver::~TJackMidiReceiver()
{
    Close();
}

void TJackMidiReceiver::Close()
{
    if (!m_client)
        return;
    jack_deactivate(m_client);
    jack_client_close(m_client);
    m_client = nullptr;
    m_port = nullptr;
}

std::vector<std::string> TJackMidiReceiver::MidiOutputPorts(const std::string& pattern) const
{
    std::vector<std::string> names;
    if (!m_client)
        return names;
    const char** ports =
        jack_get_ports(m_client, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    for (const char** port = ports; port && *port; ++port)
        names.emplace_back(*port);
    jack_free(ports);
    return names;
}

bool TJackMidiReceiver::ConnectFrom(const std::string& source) const
{
    return m_client && jack_connect(m_client, source.c_str(), m_portName.c_str()) == 0;
}

int TJackMidiReceiver::Process(std::uint32_t frames, void* self)
{
    auto* receiver = static_cast<TJackMidiReceiver*>(self);
    void* buffer = jack_port_get_buffer(receiver->m_port, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    if (count == 0)
        return 0;
    {
        std::lock_guard lock(receiver->m_mutex);
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0)
                receiver->m_events.emplace_back(event.buffer, event.buffer + event.size);
        }
    }
    receiver->m_arrived.notify_all();
    return 0;
}

std::vector<TJackMidiReceiver::TEvent> TJackMidiReceiver::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::size_t TJackMidiReceiver::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_events.size();
}

void TJackMidiReceiver::Clear()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

bool TJackMidiReceiver::WaitFor(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, timeout, [&] { return m_events.size() >= count; });
}

bool TJackMidiReceiver::WaitForConnections(int count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_port || jack_port_connected(m_port) < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The graph takes the new connection at the start of a cycle: let one more cycle pass.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return true;
}

int TJackMidiReceiver::Connections() const
{
    return m_port ? jack_port_connected(m_port) : 0;
}

int DeviceIndexOf(const std::string& portName)
{
    TRtMidiService service;
    TMidiSystem midi(service);
    const auto& devices = midi.GetMidiOutput().Devices();
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].Name.find(portName) != std::string::npos)
            return int(i);
    return -1;
}
