#pragma once

#include "midi/DeviceSlot.h"
#include "model/qelCommandList.h"
#include "remote/RemoteSettings.h"
#include "settings/GlobalSettings.h"

#include <QUndoStack>

#include <array>
#include <functional>
#include <vector>

// What a Configuration Apply can change: the settings, the slots, the remote, the title and the
// tray, and the definitions (a smaller grid drops some, a larger one adds some).
struct TSetState
{
    TGlobalSettings Settings;
    std::array<TDeviceSlot, 4> Outputs;
    TDeviceSlot Input;
    TRemoteSettings Remote;
    QString Title;
    bool TrayIconActive = false;
    std::vector<TCommandSet> Definitions;
};

// The edits of the run that can be undone and redone (at most 100, not saved): a button's
// definition changed by Cut, Paste or Properties, and a Configuration Apply as one step. The
// window says how to read and restore what an edit changes.
class TEditHistory
{
public:
    static constexpr int kSteps = 100;

    struct TLinks
    {
        std::function<TCommandSet*(int index)> Definition; // null outside the list
        std::function<void()> DefinitionsChanged;          // the faces and the held rule
        std::function<TSetState()> Capture;
        std::function<void(const TSetState&)> Restore;
    };
    explicit TEditHistory(TLinks links);

    // Runs `edit` on the definition of the button at `index`, as one step called `what`.
    void EditButton(int index, const QString& what, const std::function<void()>& edit);
    // A Configuration Apply: Applying before it writes anything, Applied once it is done.
    void Applying() { m_before = m_links.Capture(); }
    void Applied(const QString& what);

    QUndoStack& Stack() { return m_stack; }

private:
    class TStep;

    TLinks m_links;
    QUndoStack m_stack;
    TSetState m_before;
};
