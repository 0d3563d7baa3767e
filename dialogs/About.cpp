#include "About.h"

#include "DialogPlacement.h"
#include "ui_About.h"
#include "widgets/ImageList.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

TAboutBox::TAboutBox(QWidget* parent, const TExeInfo& exeInfo)
    : QDialog(parent), ui(std::make_unique<Ui::AboutBox>()), m_exeInfo(exeInfo)
{
    ui->setupUi(this);
    setWindowFlags(kToolWindowFlags);
    ui->btOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    connect(ui->btOK, &QPushButton::clicked, this, &TAboutBox::btOKClick);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormShow()
{
    setWindowTitle(QStringLiteral("About ") + m_exeInfo.ProductName());
    ui->ProgramName->setText(m_exeInfo.ProductName());
    ui->Version->setText(QStringLiteral("Version ") + m_exeInfo.FileVersion());
    ui->Email->setText(QString::fromLatin1(kContact));
    ui->IconImage->setPixmap(KeyrillIcon().pixmap(32, 32));
}

void TAboutBox::btOKClick()
{
    accept();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormShow();
        if (!m_placed && parentWidget()) {
            adjustSize();
            CentreDialog(*this, *parentWidget());
            m_placed = true;
        }
    }
    QDialog::showEvent(event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    // Escape closes on its release; letting the press through would close at once.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        reject();
        return;
    }
    QDialog::keyReleaseEvent(event);
}
