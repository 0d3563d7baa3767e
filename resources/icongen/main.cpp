// keyrill_icongen: paints Keyrill's own icon set and program icon with QPainter and writes them
// into the resources folder: icons.png (a strip of 135 icons of 16 x 16 pixels, 1-bit alpha),
// icons.txt (their names in order) and keyrill-<size>.png. Run by scripts/make-icons.
//
// The order of kIcons is stored in every settings file: never reorder, insert or remove once
// released; only append, or repaint an icon in its place.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Draw = std::function<void(QPainter&)>;

struct TIcon
{
    const char* name;
    Draw draw;
};

const QColor kInk(0x22, 0x28, 0x31);
const QColor kRed(0xD8, 0x2B, 0x2B);
const QColor kDarkRed(0x8A, 0x12, 0x12);
const QColor kGreen(0x23, 0x9B, 0x3F);
const QColor kDarkGreen(0x10, 0x5A, 0x22);
const QColor kBlue(0x1E, 0x6F, 0xD9);
const QColor kDarkBlue(0x10, 0x3C, 0x80);
const QColor kYellow(0xF5, 0xC4, 0x00);
const QColor kOrange(0xF0, 0x82, 0x00);
const QColor kBrown(0x9A, 0x5B, 0x22);
const QColor kGrey(0x80, 0x86, 0x8E);
const QColor kLight(0xF4, 0xF4, 0xF4);
const QColor kPurple(0x8E, 0x3C, 0xC8);
const QColor kSteel(0x4A, 0x52, 0x5C);

QPen Pen(const QColor& c, qreal w = 1.0)
{
    QPen pen(c, w);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QPen RoundPen(const QColor& c, qreal w)
{
    QPen pen(c, w);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void Poly(QPainter& p, std::initializer_list<QPointF> pts, const QColor& fill,
          const QColor& line = Qt::transparent)
{
    p.setPen(line.alpha() ? Pen(line) : Qt::NoPen);
    p.setBrush(fill);
    p.drawPolygon(QPolygonF(QList<QPointF>(pts)));
}

void Box(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& c)
{
    p.fillRect(QRectF(x, y, w, h), c);
}

void Disc(QPainter& p, qreal cx, qreal cy, qreal r, const QColor& fill,
          const QColor& line = Qt::transparent)
{
    p.setPen(line.alpha() ? Pen(line) : Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(QPointF(cx, cy), r, r);
}

void Line(QPainter& p, qreal x1, qreal y1, qreal x2, qreal y2, const QColor& c, qreal w = 1.0)
{
    p.setPen(RoundPen(c, w));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

// An arrow from (x1, y1) to (x2, y2) with a filled head at the end.
void Arrow(QPainter& p, qreal x1, qreal y1, qreal x2, qreal y2, const QColor& c, qreal w = 2.0,
           qreal head = 4.5)
{
    const qreal dx = x2 - x1, dy = y2 - y1, len = std::hypot(dx, dy);
    const qreal ux = dx / len, uy = dy / len;
    const QPointF tip(x2, y2), base(x2 - ux * head, y2 - uy * head);
    p.setPen(Pen(c, w));
    p.drawLine(QPointF(x1, y1), base);
    Poly(p, {tip, base + QPointF(-uy * head, ux * head), base + QPointF(uy * head, -ux * head)}, c);
}

// An arc of a circle with an arrowhead at its end; angles in degrees, counter-clockwise.
void ArcArrow(QPainter& p, qreal cx, qreal cy, qreal r, qreal startDeg, qreal spanDeg,
              const QColor& c)
{
    p.setPen(Pen(c, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cx - r, cy - r, 2 * r, 2 * r), int(startDeg * 16), int(spanDeg * 16));
    const qreal end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(cx + r * std::cos(end), cy - r * std::sin(end));
    const qreal dir = spanDeg > 0 ? 1.0 : -1.0;
    // Tangent in screen coordinates for counter-clockwise motion.
    const QPointF t(-std::sin(end) * dir, -std::cos(end) * dir);
    const QPointF n(-t.y(), t.x());
    Poly(p, {tip + t * 3.5, tip + n * 3.5, tip - n * 3.5}, c);
}

void Speaker(QPainter& p)
{
    Poly(p, {{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 14.5}, {4.5, 10.5}, {1.5, 10.5}}, kInk);
}

void Waves(QPainter& p, int count)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kInk, 1.6));
    for (int i = 0; i < count; ++i) {
        const qreal r = 3 + 2.4 * i;
        p.drawArc(QRectF(8.5 - r, 8 - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
}

void Microphone(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(5.5, 0.5, 5, 9), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kInk, 1.2));
    p.drawArc(QRectF(3.5, 2.5, 9, 9), 180 * 16, 180 * 16);
    Box(p, 7.5, 11.5, 1.2, 2.5, kInk);
    Box(p, 5, 14, 6, 1.5, kInk);
}

void NoteHead(QPainter& p, qreal cx, qreal cy, bool filled)
{
    p.save();
    p.translate(cx, cy);
    p.rotate(-25);
    p.setBrush(filled ? QBrush(kInk) : Qt::NoBrush);
    p.setPen(filled ? Qt::NoPen : Pen(kInk, 1.4));
    p.drawEllipse(QPointF(0, 0), filled ? 3.3 : 2.9, filled ? 2.3 : 1.9);
    p.restore();
}

void Lamp(QPainter& p, const QColor& c)
{
    QRadialGradient g(QPointF(6.5, 6), 7);
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(1, c);
    p.setPen(Pen(c.darker(220)));
    p.setBrush(g);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    Disc(p, 6, 5.5, 1.6, c.lighter(175));
}

void Wave(QPainter& p, const std::function<qreal(qreal)>& f)
{
    Box(p, 0, 0, 16, 16, Qt::transparent);
    p.setPen(Pen(kGrey, 1));
    p.drawLine(QPointF(1, 8.5), QPointF(15, 8.5));
    QPainterPath path;
    for (int i = 0; i <= 56; ++i) {
        const qreal t = i / 56.0;
        const QPointF pt(1.5 + 13 * t, 8.5 - 5.5 * f(t));
        i ? path.lineTo(pt) : path.moveTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(RoundPen(kBlue, 1.8));
    p.drawPath(path);
}

void Keycap(QPainter& p, const QString& text, const QColor& back)
{
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(text == QLatin1String("W") || text == QLatin1String("M") ? 11 : 12);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);
    p.setPen(kLight);
    p.drawText(QRectF(0, 0.5, 16, 16), Qt::AlignCenter, text);
}

void Star(QPainter& p, const QColor& fill, const QColor& line)
{
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal r = i % 2 ? 3.0 : 7.4;
        poly << QPointF(8 + r * std::cos(a), 8.6 + r * std::sin(a));
    }
    p.setPen(Pen(line));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

void Padlock(QPainter& p, bool open)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kSteel, 2));
    if (open)
        p.drawArc(QRectF(7.5, 1, 7, 8), 0, 180 * 16);
    else
        p.drawArc(QRectF(4.5, 1, 7, 8), 0, 180 * 16);
    if (open)
        Box(p, 13.5, 5, 2, 2.5, kSteel);
    else {
        Box(p, 4.5, 5, 2, 2.5, kSteel);
        Box(p, 9.5, 5, 2, 2.5, kSteel);
    }
    p.setPen(Pen(kBrown.darker(160)));
    p.setBrush(kYellow.darker(110));
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 8), 1.5, 1.5);
    Box(p, 7.5, 10, 1.2, 3, kInk);
}

std::vector<TIcon> Icons()
{
    std::vector<TIcon> icons = {
        // Transport
        {"play",
         [](QPainter& p) {
             Poly(p, {{3.5, 1.5}, {3.5, 14.5}, {14, 8}}, kGreen, kDarkGreen);
         }},
        {"pause",
         [](QPainter& p) {
             Box(p, 3, 2, 4, 12, kInk);
             Box(p, 9, 2, 4, 12, kInk);
         }},
        {"stop", [](QPainter& p) { Box(p, 2, 2, 12, 12, kInk); }},
        {"record", [](QPainter& p) { Disc(p, 8, 8, 6.2, kRed, kDarkRed); }},
        {"rewind",
         [](QPainter& p) {
             Poly(p, {{8, 3}, {8, 13}, {1, 8}}, kInk);
             Poly(p, {{15, 3}, {15, 13}, {8, 8}}, kInk);
         }},
        {"fast_forward",
         [](QPainter& p) {
             Poly(p, {{1, 3}, {1, 13}, {8, 8}}, kInk);
             Poly(p, {{8, 3}, {8, 13}, {15, 8}}, kInk);
         }},
        {"skip_back",
         [](QPainter& p) {
             Box(p, 2, 3, 2, 10, kInk);
             Poly(p, {{14, 3}, {14, 13}, {4, 8}}, kInk);
         }},
        {"skip_forward",
         [](QPainter& p) {
             Poly(p, {{2, 3}, {2, 13}, {12, 8}}, kInk);
             Box(p, 12, 3, 2, 10, kInk);
         }},
        {"loop",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kBlue, 2));
             QPainterPath path;
             path.moveTo(10, 3.5);
             path.lineTo(4.5, 3.5);
             path.arcTo(QRectF(1, 3.5, 7, 9), 90, 180);
             path.lineTo(7, 12.5);
             p.drawPath(path);
             QPainterPath back;
             back.moveTo(6, 12.5);
             back.lineTo(11.5, 12.5);
             back.arcTo(QRectF(8, 3.5, 7, 9), -90, 180);
             back.lineTo(9, 3.5);
             p.drawPath(back);
             Poly(p, {{9, 0.5}, {13, 3.5}, {9, 6.5}}, kBlue);
             Poly(p, {{7, 9.5}, {3, 12.5}, {7, 15.5}}, kBlue);
         }},
        {"play_pause",
         [](QPainter& p) {
             Poly(p, {{1, 3}, {1, 13}, {8, 8}}, kInk);
             Box(p, 9, 3, 2.5, 10, kInk);
             Box(p, 13, 3, 2.5, 10, kInk);
         }},
        {"eject",
         [](QPainter& p) {
             Poly(p, {{8, 2}, {15, 9}, {1, 9}}, kInk);
             Box(p, 1, 11, 14, 3, kInk);
         }},
        {"shuffle",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.8));
             p.setBrush(Qt::NoBrush);
             QPainterPath a;
             a.moveTo(1, 4);
             a.lineTo(4, 4);
             a.cubicTo(8, 4, 7, 12, 11, 12);
             p.drawPath(a);
             QPainterPath b;
             b.moveTo(1, 12);
             b.lineTo(4, 12);
             b.cubicTo(8, 12, 7, 4, 11, 4);
             p.drawPath(b);
             Poly(p, {{11, 0.5}, {15.5, 4}, {11, 7.5}}, kInk);
             Poly(p, {{11, 8.5}, {15.5, 12}, {11, 15.5}}, kInk);
         }},

        // Volume and audio
        {"speaker", [](QPainter& p) { Speaker(p); }},
        {"volume_low",
         [](QPainter& p) {
             Speaker(p);
             Waves(p, 1);
         }},
        {"volume_high",
         [](QPainter& p) {
             Speaker(p);
             Waves(p, 3);
         }},
        {"mute",
         [](QPainter& p) {
             Speaker(p);
             Line(p, 10.5, 5.5, 14.5, 10.5, kRed, 2);
             Line(p, 14.5, 5.5, 10.5, 10.5, kRed, 2);
         }},
        {"volume_up",
         [](QPainter& p) {
             Speaker(p);
             Box(p, 10, 7, 6, 2, kGreen);
             Box(p, 12, 5, 2, 6, kGreen);
         }},
        {"volume_down",
         [](QPainter& p) {
             Speaker(p);
             Box(p, 10, 7, 6, 2, kRed);
         }},
        {"microphone", [](QPainter& p) { Microphone(p); }},
        {"microphone_off",
         [](QPainter& p) {
             Microphone(p);
             Line(p, 2, 1.5, 14, 14.5, kRed, 2);
         }},
        {"headphones",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 1.8));
             p.drawArc(QRectF(2, 1.5, 12, 12), 0, 180 * 16);
             p.drawLine(QPointF(2.9, 7.5), QPointF(2.9, 10));
             p.drawLine(QPointF(13.1, 7.5), QPointF(13.1, 10));
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             p.drawRoundedRect(QRectF(1, 8.5, 4.5, 6.5), 1.5, 1.5);
             p.drawRoundedRect(QRectF(10.5, 8.5, 4.5, 6.5), 1.5, 1.5);
         }},
        {"loudspeaker",
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
             Disc(p, 8, 4.2, 2, kGrey);
             Disc(p, 8, 10.5, 3.8, kGrey);
             Disc(p, 8, 10.5, 1.4, kInk);
         }},
        {"fader",
         [](QPainter& p) {
             Box(p, 7, 1, 2, 14, kInk);
             for (int y = 2; y <= 14; y += 3) {
                 Box(p, 3, y, 2, 1, kGrey);
                 Box(p, 11, y, 2, 1, kGrey);
             }
             p.setPen(Pen(kInk));
             p.setBrush(kLight);
             p.drawRect(QRectF(3.5, 4.5, 9, 4));
             Box(p, 4, 6, 8, 1, kRed);
         }},
        {"knob",
         [](QPainter& p) {
             Disc(p, 8, 8, 6.5, kInk);
             Disc(p, 8, 8, 4.8, kGrey);
             Line(p, 8, 8, 4.2, 4.2, kLight, 1.8);
         }},

        // Notes, rests and notation
        {"note_quarter",
         [](QPainter& p) {
             NoteHead(p, 6, 12, true);
             Box(p, 8.3, 1, 1.5, 11, kInk);
         }},
        {"note_eighth",
         [](QPainter& p) {
             NoteHead(p, 5, 12, true);
             Box(p, 7.3, 1, 1.5, 11, kInk);
             p.setPen(Pen(kInk, 1.8));
             p.setBrush(Qt::NoBrush);
             QPainterPath flag;
             flag.moveTo(8, 1.8);
             flag.cubicTo(9, 5, 14, 5, 12, 10);
             p.drawPath(flag);
         }},
        {"notes_beamed",
         [](QPainter& p) {
             NoteHead(p, 3.6, 13, true);
             NoteHead(p, 11.6, 11, true);
             Box(p, 5.8, 3, 1.5, 10, kInk);
             Box(p, 13.8, 1, 1.5, 10, kInk);
             Poly(p, {{5.8, 2.5}, {15.3, 0.5}, {15.3, 3.5}, {5.8, 5.5}}, kInk);
         }},
        {"note_half",
         [](QPainter& p) {
             NoteHead(p, 6, 12, false);
             Box(p, 8.6, 1, 1.4, 10.5, kInk);
         }},
        {"note_whole",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 2));
             p.drawEllipse(QPointF(8, 8), 6, 4);
         }},
        {"rest_quarter",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 2));
             QPainterPath z;
             z.moveTo(6, 1);
             z.lineTo(10, 5.5);
             z.lineTo(6.5, 8.5);
             z.lineTo(10, 12);
             z.cubicTo(7, 10.5, 5, 12.5, 8, 15);
             p.drawPath(z);
         }},
        {"rest_eighth",
         [](QPainter& p) {
             Disc(p, 5.5, 4.2, 2.3, kInk);
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 1.6));
             QPainterPath z;
             z.moveTo(4.5, 6.2);
             z.cubicTo(7, 7.5, 10, 6, 11.5, 3);
             z.lineTo(7.5, 15);
             p.drawPath(z);
         }},
        {"rest_whole",
         [](QPainter& p) {
             Box(p, 1, 4, 14, 1.5, kInk);
             Box(p, 4, 5.5, 8, 4, kInk);
             Box(p, 1, 12, 14, 1, kGrey);
         }},
        {"sharp",
         [](QPainter& p) {
             Box(p, 5, 1, 1.8, 14, kInk);
             Box(p, 9.5, 1, 1.8, 14, kInk);
             Poly(p, {{2, 5.5}, {14, 3}, {14, 5.5}, {2, 8}}, kInk);
             Poly(p, {{2, 10.5}, {14, 8}, {14, 10.5}, {2, 13}}, kInk);
         }},
        {"flat",
         [](QPainter& p) {
             Box(p, 4, 0.5, 1.8, 15, kInk);
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 2));
             QPainterPath b;
             b.moveTo(5, 9);
             b.cubicTo(9, 5.5, 14, 7.5, 11, 11);
             b.lineTo(5, 14.5);
             p.drawPath(b);
         }},
        {"natural",
         [](QPainter& p) {
             Box(p, 4.5, 0.5, 1.8, 11.5, kInk);
             Box(p, 9.7, 4, 1.8, 11.5, kInk);
             Poly(p, {{4.5, 5.5}, {11.5, 4}, {11.5, 6.5}, {4.5, 8}}, kInk);
             Poly(p, {{4.5, 10}, {11.5, 8.5}, {11.5, 11}, {4.5, 12.5}}, kInk);
         }},
        {"treble_clef",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(RoundPen(kInk, 1.5));
             QPainterPath g;
             g.moveTo(8.5, 15);
             g.lineTo(7.5, 1.5);
             g.cubicTo(10.5, 0.5, 11, 4, 7.5, 6.5);
             g.cubicTo(3, 9.5, 4, 13, 8, 13);
             g.cubicTo(12, 13, 12, 8.5, 8.5, 8.5);
             g.cubicTo(6, 8.5, 6, 11, 8, 11.5);
             p.drawPath(g);
             Disc(p, 6.5, 14.5, 1.3, kInk);
         }},
        {"bass_clef",
         [](QPainter& p) {
             Disc(p, 3.5, 5, 2, kInk);
             p.setBrush(Qt::NoBrush);
             p.setPen(RoundPen(kInk, 1.8));
             QPainterPath f;
             f.moveTo(2, 4.5);
             f.cubicTo(2.5, 0.5, 11, 0.5, 11, 5.5);
             f.cubicTo(11, 10, 6, 13, 2, 14.5);
             p.drawPath(f);
             Disc(p, 14, 3.5, 1.2, kInk);
             Disc(p, 14, 7.5, 1.2, kInk);
         }},
        {"metronome",
         [](QPainter& p) {
             Poly(p, {{5.5, 1}, {10.5, 1}, {14, 15}, {2, 15}}, kBrown, kBrown.darker(170));
             Poly(p, {{6, 10}, {10, 10}, {11, 14}, {5, 14}}, kLight);
             Line(p, 8, 12, 12.5, 2.5, kInk, 1.5);
             Box(p, 10, 5, 2.5, 2, kInk);
         }},
        {"tuning_fork",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kSteel, 2));
             QPainterPath u;
             u.moveTo(4.5, 0.5);
             u.lineTo(4.5, 6);
             u.arcTo(QRectF(4.5, 2.5, 7, 7), 180, 180);
             u.lineTo(11.5, 0.5);
             p.drawPath(u);
             Box(p, 7, 9, 2, 6.5, kSteel);
         }},
        {"staff",
         [](QPainter& p) {
             for (int i = 0; i < 5; ++i)
                 Box(p, 0, 3 + 2.5 * i, 16, 1, kSteel);
             NoteHead(p, 7, 11.5, true);
             Box(p, 9.3, 2, 1.4, 9.5, kInk);
         }},

        // Instruments
        {"drum",
         [](QPainter& p) {
             p.setPen(Pen(kDarkRed));
             p.setBrush(kRed);
             p.drawRect(QRectF(1.5, 6, 13, 7));
             p.drawEllipse(QRectF(1.5, 10, 13, 5));
             p.setBrush(kLight);
             p.setPen(Pen(kGrey.darker(150)));
             p.drawEllipse(QRectF(1.5, 3.5, 13, 5));
             Line(p, 2, 8.5, 5, 13, kLight, 1.2);
             Line(p, 5, 13, 8, 9, kLight, 1.2);
             Line(p, 8, 9, 11, 13.5, kLight, 1.2);
             Line(p, 11, 13.5, 14, 8.5, kLight, 1.2);
             Line(p, 4, 0.5, 7.5, 5, kBrown, 1.4);
             Line(p, 12, 0.5, 8.5, 5, kBrown, 1.4);
         }},
        {"bass_drum",
         [](QPainter& p) {
             Disc(p, 8, 7.5, 6.8, kInk);
             Disc(p, 8, 7.5, 5, kLight);
             Disc(p, 8, 7.5, 2, kRed);
             Line(p, 3, 12.5, 1, 15, kInk, 1.5);
             Line(p, 13, 12.5, 15, 15, kInk, 1.5);
         }},
        {"cymbal",
         [](QPainter& p) {
             Poly(p, {{0.5, 6}, {8, 3}, {15.5, 6}, {8, 7.5}}, kYellow, kBrown);
             Disc(p, 8, 3.8, 1.3, kBrown);
             Box(p, 7.3, 7, 1.4, 6, kInk);
             Line(p, 8, 12.5, 3, 15.5, kInk, 1.4);
             Line(p, 8, 12.5, 13, 15.5, kInk, 1.4);
         }},
        {"drumsticks",
         [](QPainter& p) {
             Line(p, 2, 2, 13.5, 14.5, kBrown, 2);
             Line(p, 14, 2, 2.5, 14.5, kBrown, 2);
             Disc(p, 2.3, 2.3, 1.6, kBrown.darker(150));
             Disc(p, 13.7, 2.3, 1.6, kBrown.darker(150));
         }},
        {"keyboard",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(kLight);
             p.drawRect(QRectF(0.5, 2.5, 15, 11));
             for (int x = 3; x <= 12; x += 3)
                 Box(p, x, 3, 1, 10.5, kInk);
             for (int x : {2, 5, 11})
                 Box(p, x, 3, 2.2, 6, kInk);
         }},
        {"guitar",
         [](QPainter& p) {
             p.save();
             p.translate(8, 8);
             p.rotate(45);
             p.setPen(Pen(kBrown.darker(180)));
             p.setBrush(kOrange);
             QPainterPath body;
             body.addEllipse(QPointF(0, 4.8), 4.3, 3.4);
             body.addEllipse(QPointF(0, 1.2), 3.2, 2.6);
             p.drawPath(body.simplified());
             Disc(p, 0, 2.2, 1.1, kInk);
             Box(p, -0.8, -8.5, 1.6, 10, kBrown.darker(150));
             Box(p, -1.5, -9.8, 3, 2.2, kInk);
             p.restore();
         }},
        {"trumpet",
         [](QPainter& p) {
             Poly(p, {{9, 6.5}, {15, 2.5}, {15, 12.5}, {9, 8.5}}, kYellow, kBrown);
             Box(p, 1, 6.5, 9, 2, kYellow.darker(115));
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kYellow.darker(130), 1.4));
             p.drawRoundedRect(QRectF(3, 8.5, 6, 4), 2, 2);
             for (qreal x : {4.0, 6.0, 8.0})
                 Box(p, x, 3.5, 1, 3, kInk);
             Box(p, 0, 6, 1.5, 3, kInk);
         }},
        {"bell",
         [](QPainter& p) {
             QPainterPath b;
             b.moveTo(2, 12.5);
             b.cubicTo(4, 11, 3.5, 3, 8, 2.5);
             b.cubicTo(12.5, 3, 12, 11, 14, 12.5);
             b.closeSubpath();
             p.setPen(Pen(kBrown));
             p.setBrush(kYellow);
             p.drawPath(b);
             Disc(p, 8, 14, 1.7, kBrown);
             Disc(p, 8, 1.8, 1.2, kBrown);
         }},
        {"tambourine",
         [](QPainter& p) {
             p.setBrush(kLight);
             p.setPen(Pen(kBrown, 2.2));
             p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
             for (int i = 0; i < 5; ++i) {
                 const qreal a = i * 2 * M_PI / 5 + 0.3;
                 Disc(p, 8 + 6.4 * std::cos(a), 8 + 6.4 * std::sin(a), 1.7, kYellow, kBrown);
             }
         }},
        {"maracas",
         [](QPainter& p) {
             p.setPen(Pen(kDarkRed));
             p.setBrush(kRed);
             p.drawEllipse(QPointF(5, 5), 3.5, 4.2);
             p.setBrush(kOrange);
             p.drawEllipse(QPointF(11, 5.5), 3.5, 4.2);
             Line(p, 5, 9, 4, 15, kBrown, 1.8);
             Line(p, 11, 9.5, 12, 15, kBrown, 1.8);
         }},

        // Synthesis and connections
        {"wave_sine", [](QPainter& p) { Wave(p, [](qreal t) { return std::sin(2 * M_PI * t); }); }},
        {"wave_square", [](QPainter& p) { Wave(p, [](qreal t) { return t < 0.5 ? 0.8 : -0.8; }); }},
        {"wave_saw",
         [](QPainter& p) { Wave(p, [](qreal t) { return t < 0.999 ? 1 - 2 * t : 1; }); }},
        {"wave_triangle",
         [](QPainter& p) {
             Wave(p, [](qreal t) { return t < 0.25 ? 4 * t : t < 0.75 ? 2 - 4 * t : 4 * t - 4; });
         }},
        {"midi_port",
         [](QPainter& p) {
             Disc(p, 8, 8, 7, kInk);
             Disc(p, 8, 8, 5.3, kGrey.darker(160));
             for (int i = 0; i < 5; ++i) {
                 const qreal a = i * M_PI / 4;
                 Disc(p, 8 + 3.7 * std::cos(a), 7.5 + 3.7 * std::sin(a), 1.1, kLight);
             }
             Box(p, 7, 1, 2, 2.5, kLight);
         }},
        {"jack_plug",
         [](QPainter& p) {
             p.save();
             p.translate(8, 8);
             p.rotate(45);
             Box(p, -2.5, 0, 5, 8, kInk);
             Box(p, -1.2, -6, 2.4, 6, kGrey.darker(130));
             Box(p, -1.2, -3, 2.4, 0.8, kInk);
             Disc(p, 0, -6.6, 1.3, kGrey.darker(130));
             p.restore();
         }},

        // Lights and colours
        {"bulb_on",
         [](QPainter& p) {
             Disc(p, 8, 6, 5.3, kYellow, kBrown);
             Box(p, 5.5, 10.5, 5, 3, kGrey);
             Box(p, 6.5, 13.5, 3, 2, kInk);
             Disc(p, 6.3, 4.5, 1.4, kLight);
         }},
        {"bulb_off",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(8, 6), 5, 5);
             Box(p, 5.5, 10.5, 5, 3, kGrey);
             Box(p, 6.5, 13.5, 3, 2, kInk);
         }},
        {"sun",
         [](QPainter& p) {
             for (int i = 0; i < 8; ++i) {
                 const qreal a = i * M_PI / 4;
                 Line(p, 8 + 5 * std::cos(a), 8 + 5 * std::sin(a), 8 + 7.2 * std::cos(a),
                      8 + 7.2 * std::sin(a), kOrange, 1.6);
             }
             Disc(p, 8, 8, 3.8, kYellow, kOrange);
         }},
        {"moon",
         [](QPainter& p) {
             QPainterPath m;
             m.addEllipse(QPointF(8, 8), 6.5, 6.5);
             QPainterPath cut;
             cut.addEllipse(QPointF(11, 5.5), 5.5, 5.5);
             p.setPen(Pen(kBrown));
             p.setBrush(kYellow);
             p.drawPath(m.subtracted(cut));
         }},
        {"lightning",
         [](QPainter& p) {
             Poly(p, {{10, 0.5}, {3, 9}, {7.5, 9}, {5.5, 15.5}, {13, 6}, {8.5, 6}}, kYellow,
                  kBrown);
         }},
        {"spotlight",
         [](QPainter& p) {
             Poly(p, {{3, 6}, {7, 4}, {15.5, 13}, {7, 15.5}}, kYellow);
             p.save();
             p.translate(4.5, 4.5);
             p.rotate(-35);
             p.setPen(Qt::NoPen);
             p.setBrush(kInk);
             p.drawRoundedRect(QRectF(-4.5, -2.8, 8, 5.6), 1, 1);
             p.restore();
             Line(p, 4, 8, 2, 15, kInk, 1.5);
         }},
        {"lamp_red", [](QPainter& p) { Lamp(p, kRed); }},
        {"lamp_orange", [](QPainter& p) { Lamp(p, kOrange); }},
        {"lamp_yellow", [](QPainter& p) { Lamp(p, kYellow); }},
        {"lamp_green", [](QPainter& p) { Lamp(p, kGreen); }},
        {"lamp_blue", [](QPainter& p) { Lamp(p, kBlue); }},
        {"lamp_purple", [](QPainter& p) { Lamp(p, kPurple); }},
        {"lamp_white", [](QPainter& p) { Lamp(p, QColor(0xE6, 0xE6, 0xE6)); }},
        {"palette",
         [](QPainter& p) {
             QPainterPath pal;
             pal.addEllipse(QPointF(8, 8), 7, 6);
             QPainterPath hole;
             hole.addEllipse(QPointF(10.5, 11), 1.8, 1.8);
             p.setPen(Pen(kBrown.darker(150)));
             p.setBrush(QColor(0xE0, 0xB8, 0x80));
             p.drawPath(pal.subtracted(hole));
             Disc(p, 4.5, 7, 1.6, kRed);
             Disc(p, 6.5, 4, 1.6, kYellow);
             Disc(p, 10, 4, 1.6, kGreen);
             Disc(p, 12.5, 7, 1.6, kBlue);
             Disc(p, 5.5, 10.5, 1.6, kPurple);
         }},

        // Arrows
        {"arrow_up", [](QPainter& p) { Arrow(p, 8, 15, 8, 1, kInk, 2.5, 6); }},
        {"arrow_down", [](QPainter& p) { Arrow(p, 8, 1, 8, 15, kInk, 2.5, 6); }},
        {"arrow_left", [](QPainter& p) { Arrow(p, 15, 8, 1, 8, kInk, 2.5, 6); }},
        {"arrow_right", [](QPainter& p) { Arrow(p, 1, 8, 15, 8, kInk, 2.5, 6); }},
        {"arrow_up_left", [](QPainter& p) { Arrow(p, 14, 14, 2, 2, kInk, 2.5, 5.5); }},
        {"arrow_up_right", [](QPainter& p) { Arrow(p, 2, 14, 14, 2, kInk, 2.5, 5.5); }},
        {"arrow_down_left", [](QPainter& p) { Arrow(p, 14, 2, 2, 14, kInk, 2.5, 5.5); }},
        {"arrow_down_right", [](QPainter& p) { Arrow(p, 2, 2, 14, 14, kInk, 2.5, 5.5); }},
        {"rotate_cw", [](QPainter& p) { ArcArrow(p, 8, 8.5, 5.5, 150, -270, kInk); }},
        {"rotate_ccw", [](QPainter& p) { ArcArrow(p, 8, 8.5, 5.5, 30, 270, kInk); }},
        {"arrows_up_down",
         [](QPainter& p) {
             Poly(p, {{8, 0.5}, {13, 5.5}, {3, 5.5}}, kInk);
             Poly(p, {{8, 15.5}, {13, 10.5}, {3, 10.5}}, kInk);
             Box(p, 7, 5, 2, 6, kInk);
         }},
        {"arrows_left_right",
         [](QPainter& p) {
             Poly(p, {{0.5, 8}, {5.5, 3}, {5.5, 13}}, kInk);
             Poly(p, {{15.5, 8}, {10.5, 3}, {10.5, 13}}, kInk);
             Box(p, 5, 7, 6, 2, kInk);
         }},

        // Symbols
        {"star", [](QPainter& p) { Star(p, kYellow, kBrown); }},
        {"heart",
         [](QPainter& p) {
             QPainterPath h;
             h.moveTo(8, 14.5);
             h.cubicTo(-2, 7, 3, -1, 8, 4);
             h.cubicTo(13, -1, 18, 7, 8, 14.5);
             p.setPen(Pen(kDarkRed));
             p.setBrush(kRed);
             p.drawPath(h);
         }},
        {"check",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kGreen, 3));
             p.drawPolyline(QPolygonF({{1.5, 8}, {6, 12.5}, {14.5, 3}}));
         }},
        {"cross",
         [](QPainter& p) {
             Line(p, 2.5, 2.5, 13.5, 13.5, kRed, 3);
             Line(p, 13.5, 2.5, 2.5, 13.5, kRed, 3);
         }},
        {"warning",
         [](QPainter& p) {
             p.setPen(RoundPen(kInk, 1));
             p.setBrush(kYellow);
             p.drawPolygon(QPolygonF({{8, 1}, {15.5, 14.5}, {0.5, 14.5}}));
             Box(p, 7, 5, 2, 5.5, kInk);
             Box(p, 7, 11.5, 2, 2, kInk);
         }},
        {"power",
         [](QPainter& p) {
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kInk, 2));
             p.drawArc(QRectF(2, 2.5, 12, 12), 120 * 16, 300 * 16);
             Box(p, 7, 0.5, 2, 8, kInk);
         }},
        {"info",
         [](QPainter& p) {
             Disc(p, 8, 8, 7, kBlue, kDarkBlue);
             Box(p, 7, 3, 2, 2, kLight);
             Box(p, 7, 6.5, 2, 6.5, kLight);
         }},
        {"question",
         [](QPainter& p) {
             Disc(p, 8, 8, 7, kBlue, kDarkBlue);
             p.setBrush(Qt::NoBrush);
             p.setPen(Pen(kLight, 2));
             QPainterPath q;
             q.moveTo(5.2, 6);
             q.cubicTo(5, 2.5, 11, 2.5, 10.7, 5.8);
             q.cubicTo(10.5, 7.5, 8, 7.5, 8, 10);
             p.drawPath(q);
             Box(p, 7, 11, 2, 2, kLight);
         }},
        {"plus",
         [](QPainter& p) {
             Box(p, 6.5, 1.5, 3, 13, kInk);
             Box(p, 1.5, 6.5, 13, 3, kInk);
         }},
        {"minus", [](QPainter& p) { Box(p, 1.5, 6.5, 13, 3, kInk); }},
        {"lock", [](QPainter& p) { Padlock(p, false); }},
        {"unlock", [](QPainter& p) { Padlock(p, true); }},
        {"home",
         [](QPainter& p) {
             Poly(p, {{8, 1}, {15.5, 8}, {0.5, 8}}, kRed, kDarkRed);
             Box(p, 2.5, 8, 11, 7, kBrown);
             Box(p, 6.5, 10, 3, 5, kLight);
             Box(p, 11, 2, 2, 3.5, kDarkRed);
         }},
        {"gear",
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(kSteel);
             for (int i = 0; i < 8; ++i) {
                 p.save();
                 p.translate(8, 8);
                 p.rotate(i * 45);
                 p.drawRect(QRectF(-1.5, -7.5, 3, 4));
                 p.restore();
             }
             QPainterPath g;
             g.addEllipse(QPointF(8, 8), 5.2, 5.2);
             QPainterPath hole;
             hole.addEllipse(QPointF(8, 8), 2, 2);
             p.drawPath(g.subtracted(hole));
         }},
        {"flag",
         [](QPainter& p) {
             Box(p, 2, 1, 1.8, 15, kInk);
             QPainterPath f;
             f.moveTo(3.8, 1.5);
             f.cubicTo(7, 0, 10, 3.5, 14.5, 1.5);
             f.lineTo(14.5, 9);
             f.cubicTo(10, 11, 7, 7.5, 3.8, 9);
             f.closeSubpath();
             p.setPen(Pen(kDarkRed));
             p.setBrush(kRed);
             p.drawPath(f);
         }},
        {"clock",
         [](QPainter& p) {
             Disc(p, 8, 8, 7, kLight, kInk);
             p.setPen(Pen(kInk, 1));
             p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
             Line(p, 8, 8, 8, 3.5, kInk, 1.6);
             Line(p, 8, 8, 11.5, 9.5, kInk, 1.6);
             for (int i = 0; i < 4; ++i) {
                 const qreal a = i * M_PI / 2;
                 Disc(p, 8 + 5.2 * std::cos(a), 8 + 5.2 * std::sin(a), 0.6, kInk);
             }
         }},
        {"eye",
         [](QPainter& p) {
             QPainterPath e;
             e.moveTo(0.5, 8);
             e.cubicTo(4, 2, 12, 2, 15.5, 8);
             e.cubicTo(12, 14, 4, 14, 0.5, 8);
             p.setPen(Pen(kInk, 1.2));
             p.setBrush(kLight);
             p.drawPath(e);
             Disc(p, 8, 8, 3.4, kBlue);
             Disc(p, 8, 8, 1.6, kInk);
         }},
    };

    for (char c = '0'; c <= '9'; ++c)
        icons.push_back({nullptr, [c](QPainter& p) { Keycap(p, QString(QChar(c)), kDarkBlue); }});
    for (char c = 'A'; c <= 'Z'; ++c)
        icons.push_back({nullptr, [c](QPainter& p) { Keycap(p, QString(QChar(c)), kInk); }});
    return icons;
}

// Paints one icon and reduces it to the image list's format: every pixel fully opaque or fully
// transparent, no pure white (white is the glyph's transparent colour), and a transparent
// bottom-left pixel.
QImage PaintIcon(const Draw& draw)
{
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p);
    }
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb px = img.pixel(x, y);
            if (qAlpha(px) < 128 || (x == 0 && y == 15)) {
                img.setPixel(x, y, 0);
                continue;
            }
            int r = qRed(px), g = qGreen(px), b = qBlue(px);
            if (r == 255 && g == 255 && b == 255)
                r = g = b = 250;
            img.setPixel(x, y, qRgba(r, g, b, 255));
        }
    }
    return img;
}

// The program icon: a dark rounded tile holding a 3 x 3 grid of keys, the middle one lit.
QImage PaintProgramIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient back(0, 0, 0, 64);
    back.setColorAt(0, QColor(0x3A, 0x44, 0x5C));
    back.setColorAt(1, QColor(0x1A, 0x1F, 0x2C));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRectF key(9 + col * 16, 9 + row * 16, 14, 14);
            const bool lit = row == 1 && col == 1;
            const bool accent = (row == 0 && col == 2) || (row == 2 && col == 0);
            if (lit) {
                p.setBrush(QColor(0xFF, 0x8A, 0x1E));
                p.drawRoundedRect(key.adjusted(-2, -2, 2, 2), 4, 4);
                p.setBrush(QColor(0xFF, 0xD0, 0x60));
            } else {
                p.setBrush(accent ? QColor(0x6C, 0xB4, 0xFF) : QColor(0xFF, 0xFB, 0xF0));
            }
            p.drawRoundedRect(key, 3, 3);
        }
    }
    return img;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    const std::vector<TIcon> icons = Icons();
    QImage strip(16 * int(icons.size()), 16, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QStringList names;
    {
        QPainter p(&strip);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (std::size_t i = 0; i < icons.size(); ++i) {
            p.drawImage(int(i) * 16, 0, PaintIcon(icons[i].draw));
            QString name = QString::fromLatin1(icons[i].name ? icons[i].name : "");
            if (name.isEmpty()) {
                const std::size_t k = i - (icons.size() - 36);
                name = k < 10 ? QStringLiteral("digit_%1").arg(k)
                              : QStringLiteral("letter_%1").arg(QChar(char('a' + k - 10)));
            }
            names << name;
        }
    }
    if (icons.size() != 135) {
        std::fprintf(stderr, "expected 135 icons, have %zu\n", icons.size());
        return 1;
    }
    if (!strip.save(outDir + QStringLiteral("/icons.png")))
        return 1;
    QFile list(outDir + QStringLiteral("/icons.txt"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Text))
        return 1;
    QTextStream(&list) << names.join(QLatin1Char('\n')) << '\n';
    for (int size : {16, 32, 64, 256})
        if (!PaintProgramIcon(size).save(outDir + QStringLiteral("/keyrill-%1.png").arg(size)))
            return 1;
    std::printf("wrote %zu icons to %s\n", icons.size(), qPrintable(outDir));
    return 0;
}
