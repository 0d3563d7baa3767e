#include "RemotePage.h"

#include "remote/RemoteModule.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TRemotePage::TRemotePage(QWidget* parent)
    : QWidget(parent), m_active(new QCheckBox(QStringLiteral("Remote Control Active"))),
      m_port(new QSpinBox), m_addresses(new QPlainTextEdit), m_code(new QLabel),
      m_newToken(new QPushButton(QStringLiteral("New Token")))
{
    setObjectName(QStringLiteral("tsRemote"));
    m_active->setObjectName(QStringLiteral("cbRemoteActive"));
    m_port->setObjectName(QStringLiteral("edRemotePort"));
    m_port->setRange(1, 65535);
    m_port->setAccessibleName(QStringLiteral("Port"));
    m_addresses->setObjectName(QStringLiteral("edRemoteAddresses"));
    m_addresses->setReadOnly(true);
    m_addresses->setAccessibleName(QStringLiteral("Addresses to open"));
    m_addresses->setMaximumHeight(64);
    m_code->setAccessibleName(QStringLiteral("QR code of the first address"));
    m_newToken->setObjectName(QStringLiteral("BtNewToken"));
    m_newToken->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Port:"), m_port);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_active);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Open on a phone or tablet:")));
    layout->addWidget(m_addresses);
    layout->addWidget(m_code, 0, Qt::AlignHCenter);
    layout->addWidget(m_newToken, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(m_active, &QCheckBox::toggled, this, [this] {
        // Turning it on for the first time makes the set's secret.
        if (m_active->isChecked() && !m_settings.Secret())
            m_settings.Token = TRemoteSettings::NewToken();
        ShowAddresses();
        emit Changed();
    });
    connect(m_port, &QSpinBox::valueChanged, this, [this] {
        ShowAddresses();
        emit Changed();
    });
    connect(m_newToken, &QPushButton::clicked, this, [this] {
        m_settings.Token = TRemoteSettings::NewToken();
        ShowAddresses();
        emit Changed();
    });
}

void TRemotePage::Show(const TRemoteSettings& settings)
{
    const QSignalBlocker activeBlocker(m_active);
    const QSignalBlocker portBlocker(m_port);
    m_settings = settings;
    m_active->setChecked(settings.Active);
    m_port->setValue(settings.Port);
    ShowAddresses();
}

TRemoteSettings TRemotePage::Settings() const
{
    TRemoteSettings settings = m_settings;
    settings.Active = m_active->isChecked();
    settings.Port = m_port->value();
    return settings;
}

void TRemotePage::ShowAddresses()
{
    const bool shown = m_active->isChecked() && m_settings.Secret();
    QString failure;
    const QStringList addresses =
        shown ? RemoteModule::Addresses(m_port->value(), m_settings.Token, failure) : QStringList();
    m_addresses->setPlainText(addresses.isEmpty() ? failure : addresses.join(QLatin1Char('\n')));
    const QImage code = addresses.isEmpty() ? QImage() : RemoteModule::QrCode(addresses.first(), 3);
    m_code->setPixmap(QPixmap::fromImage(code));
    m_newToken->setEnabled(m_active->isChecked());
}
