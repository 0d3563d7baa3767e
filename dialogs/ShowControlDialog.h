#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;
struct TShowCue;

// The MIDI Show Control builder: a command, a device, a command format and a cue, shown as the
// bytes they make; OK hands the message to the caller.
class TfmShowControl : public QDialog
{
    Q_OBJECT

public:
    explicit TfmShowControl(QWidget* parent = nullptr);

    TShowCue Cue() const;
    // The message the fields make (empty while they make none).
    std::vector<std::uint8_t> Message() const;

private:
    void Changed();

    QComboBox* m_command;
    QSpinBox* m_device;
    QComboBox* m_format;
    QLineEdit* m_number;
    QLineEdit* m_list;
    QLineEdit* m_path;
    QLabel* m_bytes;
    QDialogButtonBox* m_buttons;
};
