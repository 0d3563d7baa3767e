#pragma once

#include "dialogs/About.h"
#include "dialogs/configuration.h"
#include "mainwindow/MainWindowFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QStackedWidget>

// A started main window with its Configuration dialog and About box, shown without a modal loop
// so a test can work the controls and look at the main window in between.
class ConfigurationTest : public MainWindowTest
{
protected:
    TfmConfiguration& Dialog() const { return *m_window->Configuration(); }

    template <class T = QWidget> T* Control(const char* name) const
    {
        T* control = Dialog().findChild<T*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void Open()
    {
        Dialog().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog()));
    }
    void Close() { Control<QAbstractButton>("BtCancel")->click(); }
    void Apply()
    {
        ASSERT_TRUE(ApplyEnabled());
        Control<QAbstractButton>("BtApply")->click();
    }
    bool ApplyEnabled() const { return Control<QAbstractButton>("BtApply")->isEnabled(); }
    QString ShownPage() const
    {
        return Control<QStackedWidget>("PageControl")->currentWidget()->objectName();
    }
    void SetNumber(const char* name, int value) { Control<QSpinBox>(name)->setValue(value); }
    void SetGrid(int rows, int cols)
    {
        SetNumber("edButtonRows", rows);
        SetNumber("edButtonCols", cols);
    }
};
