#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct snd_seq_event snd_seq_event_t;
typedef struct _snd_seq snd_seq_t;

// What the MIDI system said about a device port: the list changed (a port came, or went), a
// port went away (connections to it are gone), or a port got another name.
struct TPortNotice
{
    enum class TKind { None, Listed, Gone, Renamed };
    TKind Kind = TKind::None;
    // The port: JACK's full name ("client:port"); ALSA's address ("20:0", or "20:" for every
    // port of client 20), which ends the names RtMidi gives ALSA ports.
    std::string Port;

    // Whether the notice is about the device listed as `deviceName`.
    bool Affects(const std::string& deviceName) const;
};

// What an ALSA sequencer event from the system announce port says about the device ports.
TPortNotice DecodeAlsaAnnounce(const snd_seq_event_t& event);

// The MIDI system's notices of device ports coming and going, gathered by a client of its own
// and handed over on a descriptor that the user-interface thread watches.
class TDeviceWatch
{
public:
    virtual ~TDeviceWatch() = default;

    // Readable while notices wait.
    virtual int Descriptor() const = 0;
    // Clears the descriptor's readiness; the notices stay for Take.
    virtual void Acknowledge() {}
    // The notices since the last call, in order.
    virtual std::vector<TPortNotice> Take() = 0;
    // Whether notices wait; cheap enough for every send (false where asking would cost a call
    // into the system).
    virtual bool Pending() const { return false; }
};

// Under JACK: a client without ports, told by the server of port registrations and renames, and
// of the server's own shutdown (RtMidi's JACK output queues each message for its process thread
// and never learns that the server has gone; a send only reads the flag).
class TJackWatch : public TDeviceWatch
{
public:
    TJackWatch() = default;
    ~TJackWatch() override;
    TJackWatch(const TJackWatch&) = delete;
    TJackWatch& operator=(const TJackWatch&) = delete;

    // Connects to the running server; false when there is none (then nothing is watched).
    bool Start();

    bool ServerDown() const { return m_down.load(std::memory_order_acquire); }
    // Once the server has gone: connects to a server again, if one runs now; the descriptor
    // stays the same.
    bool Restart();
    void Close(); // the client of a server that has gone; Restart connects again
    // Why the server went, once ServerDown() is true.
    std::string FailureText() const;

    int Descriptor() const override { return m_pipe[0]; }
    void Acknowledge() override;
    std::vector<TPortNotice> Take() override;
    bool Pending() const override { return m_pending.load(std::memory_order_acquire); }

private:
    // JACK calls these on its notification thread.
    static void OnShutdown(int status, const char* reason, void* self);
    static void OnRegistration(unsigned port, int registered, void* self);
    static void OnClient(const char* name, int registered, void* self);
    static void OnRename(unsigned port, const char* oldName, const char* newName, void* self);
    void Notify(TPortNotice notice);

    jack_client_t* m_client = nullptr;
    int m_pipe[2] = {-1, -1};
    std::atomic<bool> m_down{false};
    std::string m_reason;
    std::mutex m_mutex; // the notices, between JACK's thread and the caller's
    std::vector<TPortNotice> m_notices;
    std::atomic<bool> m_pending{false};
};

// Under ALSA: a sequencer client subscribed to the system announce port; its own descriptor is
// the one watched, and its events are read and decoded by Take.
class TAlsaWatch : public TDeviceWatch
{
public:
    TAlsaWatch() = default;
    ~TAlsaWatch() override;
    TAlsaWatch(const TAlsaWatch&) = delete;
    TAlsaWatch& operator=(const TAlsaWatch&) = delete;

    bool Start(); // false when the sequencer cannot be opened (then nothing is watched)

    int Descriptor() const override { return m_descriptor; }
    std::vector<TPortNotice> Take() override;

private:
    snd_seq_t* m_seq = nullptr;
    int m_descriptor = -1;
};
