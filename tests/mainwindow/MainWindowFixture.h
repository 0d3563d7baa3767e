#pragma once

#include "mainwindow/main.h"
#include "midi/Midi.h"
#include "remote/WebSocketLink.h"
#include "support/FakeGlobalKeys.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeMidiService.h"
#include "support/TestApplication.h"
#include "widgets/TAdvToolButton.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A main window on a settings file of the test's own, with a fake MIDI service (one device,
// "Fake Synth") and recorded message boxes.
class MainWindowTest : public testing::Test
{
protected:
    MainWindowTest() : m_path(m_dir.filePath("keyrill.ini")) { TestApplication(); }

    const QString& Path() const { return m_path; }

    void WriteSettings(const QByteArray& text)
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray ReadSettings() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Creates the window (which runs the whole start-up) and shows it.
    // Without `dialogs` they are left to be made on first use, as the program does.
    TfmMain& Start(bool show = true, bool dialogs = true)
    {
        m_window.reset(); // one Keyrill at a time on the file: the next would find it locked
        TPlatform platform{m_midi, m_boxes, {Path()}, m_dir.filePath("keyrill"), QString()};
        platform.WindowSystem = m_windowSystem;
        platform.GlobalKeys = m_globalKeys;
        platform.RemoteLinks = &MakeWebSocketLink;
        m_window = std::make_unique<TfmMain>(platform);
        if (dialogs)
            m_window->CreateDialogs();
        if (show) {
            m_window->show();
            m_window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        return *m_window;
    }

    TQelSpeedButton* Button(int number) const
    {
        return m_window->findChild<TQelSpeedButton*>(QStringLiteral("BtTx%1").arg(number));
    }

    // What a screen reader reads of a grid button.
    QAccessibleInterface* Spoken(int number) const
    {
        return QAccessible::queryAccessibleInterface(Button(number));
    }

    void Press(int number, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(Button(number), button, {}, QPoint(5, 5));
    }
    void Release(int number, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(5, 5))
    {
        QTest::mouseRelease(Button(number), button, {}, at);
    }
    void Click(int number)
    {
        Press(number);
        Release(number);
    }

    // The bytes of every message handed to the MIDI service, in order, as "90 3C 64".
    QStringList Sent() const
    {
        QStringList sent;
        for (const auto& message : m_service.Sent()) {
            sent << QStringLiteral("%1 %2 %3")
                        .arg(message.Packed & 0xFF, 2, 16, QChar('0'))
                        .arg((message.Packed >> 8) & 0xFF, 2, 16, QChar('0'))
                        .arg((message.Packed >> 16) & 0xFF, 2, 16, QChar('0'))
                        .toUpper();
        }
        return sent;
    }

    QTemporaryDir m_dir;
    QString m_path; // the settings file handed to the program as its one argument
    TFakeMidiService m_service{{"Fake Synth"}};
    TMidiSystem m_midi{m_service};
    TFakeMessageBoxes m_boxes;
    IWindowSystem* m_windowSystem = nullptr; // null: the one Qt runs on
    TFakeGlobalKeys m_fakeGlobalKeys;
    IGlobalKeys* m_globalKeys = &m_fakeGlobalKeys;
    std::unique_ptr<TfmMain> m_window;
};

// Output 1 active on the fake's device 0.
inline const QByteArray kOutput1Active = "[Output 1]\nMIDI Device=0\nActive=1\n";
