#pragma once

#include "model/MidiCatalogue.h"
#include "model/qelCommandList.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TAdvToolButton;
class TImageList;
class TBoundedSpinBox;
class TfmImageBrowser;
class TReleaseWatch;

namespace Ui {
class TfmProperties;
}

// What the Properties dialog works with: the definitions it loads from, the icons, the chooser
// and the send routine of the output slots. The main window hands these in.
struct TPropertiesLinks
{
    std::function<const TCommandList*()> CommandList; // null once the list is gone
    const TImageList& Images;
    TfmImageBrowser& ImageBrowser;
    // Plays one side as the grid would: its message, then its further messages.
    std::function<void(const TCommand& side, bool release)> PlaySide;
    // Whether a mouse button is down right now, as the windowing system knows it.
    std::function<bool()> PointerHeld;
    // MIDI Learn: whether an input is active, and listening to it for its next channel message
    // (an empty function stops listening).
    std::function<bool()> InputActive;
    std::function<void(std::function<void(const TShortMessage&)>)> Learn;
};

// The Button Properties dialog: edits a working copy of one button's definition, both sides,
// and previews it on a live Example button that really sends. Created hidden once, shown
// modally for every edit; the caller copies `EditSet` back only on OK.
class TfmProperties : public QDialog
{
    Q_OBJECT

public:
    enum TSide { sdPress = 0, sdRelease = 1 };

    explicit TfmProperties(TPropertiesLinks links, QWidget* parent = nullptr);
    ~TfmProperties() override;

    // The 1-based number of the button to edit; the caller sets it before showing the dialog.
    int EditedButton() const { return m_editedButton; }
    void SetEditedButton(int number) { m_editedButton = number; }

    // The working copy: loaded when the dialog is shown, given the controls' values when it
    // closes, whatever the result.
    const TCommandSet& EditSet() const { return m_editSet; }

    // The icon index a side's "Select..." button holds (-1 for none).
    int IconTag(TSide side) const { return m_iconTag[side]; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TSideControls
    {
        QLineEdit* Caption;
        QComboBox* Message;
        TBoundedSpinBox* Channel;
        TBoundedSpinBox* Note;
        TBoundedSpinBox* Velocity;
        TBoundedSpinBox* Output;
        QComboBox* ButtonColour;
        QComboBox* TextColour;
        QPushButton* Icon;
        QLabel* ChannelLabel;
        QLabel* NoteLabel;
        QLabel* VelocityLabel;
        QLineEdit* More = nullptr;
        QLabel* MoreProblem = nullptr;
    };

    void FillLists();
    void ConnectControls();
    void LoadControls();
    void LoadSide(TSide side, const TCommand& command);
    void StoreControls();
    void StoreSide(TSide side, TCommand& command) const;
    void RelabelFields(TSide side);
    void RefreshExample();
    void ApplyAction();
    void edButtonActionChange();
    void SelectIcon(TSide side);
    void SetIconTag(TSide side, int index);
    void ControlChanged();
    void AddMoreMessages(TSide side, QWidget* page);
    // MIDI Learn: each side's button listens for the next message of the input.
    void AddLearn(TSide side, QWidget* page);
    void ToggleLearn(TSide side);
    void StopLearning();
    void Learned(TSide side, const TShortMessage& message);
    void CheckMoreMessages(TSide side);
    void BuildShowControl(TSide side);
    // OK follows the edits: enabled once something changed, while every list can be sent.
    void MarkChanged();
    void UpdateOk();

    // The Example: what its presses send and show.
    void btExampleMouseDown(TAdvToolButton* sender, Qt::MouseButton button,
                            Qt::KeyboardModifiers modifiers, QPoint pos);
    void btExampleMouseUp(TAdvToolButton* sender, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers, QPoint pos);
    void PressExample();
    void ExampleReleasedElsewhere();
    void Send(TSide side);
    void ShowExampleFace(TSide side);
    void ReleaseExample();
    int ShownAction() const;

    std::unique_ptr<Ui::TfmProperties> ui;
    TPropertiesLinks m_links;
    std::array<TSideControls, 2> m_sides{};
    std::array<QPushButton*, 2> m_learn{};
    int m_learning = -1; // the side listening, if any
    std::array<int, 2> m_iconTag{-1, -1};
    TCommandSet m_editSet;
    int m_editedButton = 0;
    bool m_changed = false;
    // A Press went out from the Example and its Release has not: owed by a held push button,
    // or by a toggle Example that is down (or was let go outside itself).
    bool m_releaseOwed = false;
    int m_releaseOwedBy = 0; // the button being edited when that Press went out
    TReleaseWatch* m_releaseWatch = nullptr; // the Example's release after a send's error box
};
