// The button grid: building, numbering, layout over the client area and faces.
#include "main.h"
#include "window.h"

#include "model/MidiCatalogue.h"
#include "widgets/TAdvToolButton.h"


void TfmMain::BuildButtons()
{
    const int rows = m_settings.ButtonRows;
    const int cols = m_settings.ButtonCols;
    m_buttons.reserve(std::size_t(std::max(0, rows * cols)));
    const QFont font = ButtonFont();
    for (int c = 1; c <= cols; ++c) {
        for (int r = 1; r <= rows; ++r) {
            const int n = r + (c - 1) * rows;
            auto* button = new TQelSpeedButton(this);
            button->setObjectName(QStringLiteral("BtTx%1").arg(n));
            button->SetTag(n);
            button->setGeometry((c - 1) * 49, (r - 1) * 21, 49, 21);
            button->SetFlat(true);
            button->setFont(font);
            connect(button, &TAdvToolButton::MouseDown, this, &TfmMain::GridMouseDown);
            connect(button, &TAdvToolButton::MouseUp, this, &TfmMain::GridMouseUp);
            WatchGridKeys(*button);
            button->show();
            m_buttons.push_back(button);
        }
    }
    m_buttonsBuilt = true;
}

void TfmMain::DestroyButtons()
{
    m_buttonsBuilt = false;
    while (!m_buttons.empty()) {
        delete m_buttons.back();
        m_buttons.pop_back();
    }
}

void TfmMain::actResizeButtonsExecute()
{
    if (!m_buttonsBuilt || m_buttons.empty())
        return;
    const int rows = m_settings.ButtonRows;
    const int cols = m_settings.ButtonCols;
    for (TQelSpeedButton* button : m_buttons) {
        const int k = button->Tag() - 1;
        const int w = width() / cols;
        const int h = height() / rows;
        button->setGeometry((k / rows) * w, (k % rows) * h, w, h);
    }
    // The client area shrinks by the remainders so the buttons cover it exactly; a maximised
    // window keeps its size.
    m_keeper->ClientLaidOut();
}

void TfmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    actResizeButtonsExecute();
}

QFont TfmMain::ButtonFont() const
{
    // One font for every button, bold, in the configured family and size.
    const QFont standard = this->font();
    QFont font = standard;
    font.setBold(true);
    font.setFamily(m_settings.FontName);
    // Size 0 (an emptied size field) is the platform's default size, not the last one used.
    if (m_settings.FontSize > 0)
        font.setPointSize(m_settings.FontSize);
    else if (standard.pointSize() > 0)
        font.setPointSize(standard.pointSize());
    else
        font.setPixelSize(standard.pixelSize());
    return font;
}

void TfmMain::RefreshButtons()
{
    if (!m_commandList)
        return;
    const QFont font = ButtonFont();
    for (TQelSpeedButton* button : m_buttons) {
        const TCommandSet* s = Definition(button);
        if (!s)
            continue;
        if (button->font() != font)
            button->setFont(font);
        button->SetDown(false);
        button->SetLit(false);
        button->SetLayout(m_settings.ButtonLayout);
        ShowFace(button, s->Press);
        const bool toggle = s->Action == actToggle;
        button->SetGroupIndex(toggle ? button->Tag() : 0);
        button->SetAllowAllUp(toggle);
        button->SetColorDown(s->Action == actPress ? s->Press.ButtonColour
                                                   : s->Release.ButtonColour);
        button->SetSwitchedOn(toggle && s->Pressed);
        // A screen reader reads the hot key after the caption.
        const QString hint =
            s->HotKey.isEmpty() ? QString() : QStringLiteral("Hot key %1").arg(s->HotKey);
        if (button->accessibleDescription() != hint)
            button->setAccessibleDescription(hint);
    }
    // Every change of definitions ends here: a press of a definition that is gone is released.
    ReleaseChangedDefinitions();
    UpdateGlobalKeys();
}

void TfmMain::ResizeCommandList(int count)
{
    if (!m_commandList)
        return;
    TCommandList& list = *m_commandList;
    const int m = list.Count();
    for (int i = m; i < count; ++i)
        list.Get(list.Add()).Press.Caption = QString::number(i + 1);
    for (int i = m - 1; i >= count; --i)
        list.Delete(i);
    // The grid follows rows x columns at once, also when the list held that many already (the
    // 400 read at start) or only the arrangement changed.
    if (int(m_buttons.size()) != count) {
        DestroyButtons();
        BuildButtons();
    }
    actResizeButtonsExecute();
    RefreshButtons();
}

TCommandSet* TfmMain::Definition(const TAdvToolButton* button)
{
    const int index = button->Tag() - 1;
    if (!m_commandList || index < 0 || index >= m_commandList->Count())
        return nullptr;
    return &m_commandList->Get(index);
}
