#pragma once

#include "remote/RemoteSettings.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// The Configuration page "Remote": the switch, the port, the addresses to open with the QR code
// of the first, and a new token on request. A working copy, like the rest of the dialog.
class TRemotePage : public QWidget
{
    Q_OBJECT

public:
    explicit TRemotePage(QWidget* parent = nullptr);
    void Show(const TRemoteSettings& settings);
    TRemoteSettings Settings() const;

signals:
    void Changed();

private:
    void ShowAddresses();

    TRemoteSettings m_settings;
    QCheckBox* m_active;
    QSpinBox* m_port;
    QPlainTextEdit* m_addresses;
    QLabel* m_code;
    QPushButton* m_newToken;
};
