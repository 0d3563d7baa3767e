// The yardstick of the start-up benchmark: a bare Qt program that paints 400 plain widgets, a
// filled rectangle and a number each, in a 20 x 20 grid of the given window size.
#include <QApplication>
#include <QGridLayout>
#include <QPainter>
#include <QWidget>

namespace {

class TPlainCell : public QWidget
{
public:
    explicit TPlainCell(int number) : m_text(QString::number(number)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xF0, 0xFB, 0xFF));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    const int width = args.size() > 2 ? args[1].toInt() : 800;
    const int height = args.size() > 2 ? args[2].toInt() : 600;
    QWidget window;
    window.setFont(QFont(QStringLiteral("Arial"), 8));
    auto* grid = new QGridLayout(&window);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    for (int i = 0; i < 400; ++i)
        grid->addWidget(new TPlainCell(i + 1), i % 20, i / 20);
    window.resize(width, height);
    window.show();
    return application.exec();
}
