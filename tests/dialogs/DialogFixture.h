#pragma once

#include "dialogs/BoundedSpinBox.h"
#include "dialogs/ImageChooser.h"
#include "dialogs/properties.h"
#include "model/MidiCatalogue.h"
#include "model/qelCommandList.h"
#include "support/TestApplication.h"
#include "widgets/ImageList.h"
#include "widgets/TAdvToolButton.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The built-in icon set, loaded once for all tests.
inline const TImageList& Icons()
{
    static const TImageList icons;
    return icons;
}

// A Properties dialog on a list of its own (four cleared buttons), with the real icon set and
// chooser, and a send routine that records what the Example sends as "output: 90 3C 64".
class PropertiesTest : public testing::Test
{
protected:
    PropertiesTest()
    {
        m_chooser.SetImageList(&Icons());
        for (int i = 0; i < 4; ++i)
            m_list.Add();
        m_dialog = std::make_unique<TfmProperties>(TPropertiesLinks{
            [this] { return static_cast<const TCommandList*>(&m_list); }, Icons(), m_chooser,
            [this](const TCommand& side, bool) {
                const auto message = BuildShortMessage(side.Msg);
                if (!message)
                    return;
                m_sent << QStringLiteral("%1: %2 %3 %4")
                              .arg(side.Output)
                              .arg(message->Status, 2, 16, QChar('0'))
                              .arg(message->Data1, 2, 16, QChar('0'))
                              .arg(message->Data2, 2, 16, QChar('0'))
                              .toUpper();
                if (!side.More.Empty())
                    m_sent << QStringLiteral("then ") + side.More.Text();
                if (m_onSend)
                    m_onSend();
            },
            [this] { return m_pointerHeld; }, [this] { return m_inputActive; },
            [this](std::function<void(const TShortMessage&)> take) { m_learner = std::move(take); }});
    }
    TCommandSet& Definition(int number) { return m_list.Get(number - 1); }

    // Shows the dialog for a button, as the menu does, but without a nested loop.
    void Open(int number)
    {
        m_dialog->SetEditedButton(number);
        m_dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    template <typename T> T* Control(const char* name) const
    {
        T* control = m_dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QComboBox* List(const char* name) const { return Control<QComboBox>(name); }
    TBoundedSpinBox* Spin(const char* name) const { return Control<TBoundedSpinBox>(name); }
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(name); }
    QPushButton* Push(const char* name) const { return Control<QPushButton>(name); }
    QLabel* Label(const char* name) const { return Control<QLabel>(name); }
    TAdvToolButton* Example() const { return Control<TAdvToolButton>("btExample"); }
    QTabWidget* Tabs() const { return Control<QTabWidget>("PageControl"); }

    void PressExample(Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(Example(), button, {}, QPoint(10, 10));
    }
    void ReleaseExample(Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(10, 10))
    {
        QTest::mouseRelease(Example(), button, {}, at);
    }
    void ClickExample()
    {
        PressExample();
        ReleaseExample();
    }

    // Runs `act` inside the chooser's modal loop that the click on a "Select..." button opens.
    void ChooseIcon(const char* selectButton, const std::function<void(TfmImageBrowser&)>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, m_dialog.get(), [&] {
            ran = true;
            EXPECT_TRUE(m_chooser.isVisible());
            act(m_chooser);
            if (m_chooser.isVisible())
                m_chooser.reject();
        });
        QTest::mouseClick(Push(selectButton), Qt::LeftButton);
        EXPECT_TRUE(ran);
    }

    QApplication& m_application = TestApplication(); // before any widget
    TCommandList m_list;
    TfmImageBrowser m_chooser;
    std::unique_ptr<TfmProperties> m_dialog;
    QStringList m_sent;
    std::function<void()> m_onSend; // runs after each send is recorded (an error box, say)
    bool m_pointerHeld = false;     // the real pointer, as the windowing system would tell
    bool m_inputActive = true;
    std::function<void(const TShortMessage&)> m_learner; // MIDI Learn listening
};
