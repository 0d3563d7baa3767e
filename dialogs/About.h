#pragma once

#include "ExeInfo.h"

#include <QDialog>

#include <memory>

namespace Ui {
class AboutBox;
}

// The About box: the program's icon, name, version and a contact line. The name and version come
// from the program's own version data, read once when the box is made.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kContact = "keyrill@example.org";

    explicit TAboutBox(QWidget* parent = nullptr, const TExeInfo& exeInfo = TExeInfo());
    ~TAboutBox() override;

    const TExeInfo& ExeInfo() const { return m_exeInfo; }

    // Puts the texts and the icon on the box; runs each time it is shown.
    void FormShow();
    void btOKClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::AboutBox> ui;
    TExeInfo m_exeInfo;
    bool m_placed = false; // centred once; afterwards it opens where it was left
};
