// mailart OUTDIR: draws the bitmaps of the mail library's two bitmap buttons
// in their four looks and writes them as OUTDIR/<number>.png.
//
//   134 135 136 137  arrow: normal, focused, pressed, disabled
//   146 147 148 149  add:   normal, pressed, focused, disabled

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 52;
constexpr int kHeight = 28;

// The suite's colours: deep purple grounds, green marks.
const QColor kPurple(0x3b, 0x1a, 0x5e);
const QColor kPurpleLight(0x5c, 0x2e, 0x8c);
const QColor kPurpleDark(0x24, 0x0d, 0x3b);
const QColor kGreen(0x5c, 0xd6, 0x6a);
const QColor kGreenBright(0xa6, 0xf5, 0x8c);

enum class Look { Normal, Pressed, Focused, Disabled };

QColor grey(const QColor& c)
{
    const int g = qGray(c.rgb());
    return QColor(g, g, g).lighter(130);
}

using Glyph = std::function<void(QPainter&, const QColor&)>;

QImage button(Look look, const Glyph& glyph)
{
    QImage img(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, kWidth - 1, kHeight - 1);

    QColor top = kPurpleLight, bottom = kPurple, mark = kGreen;
    if (look == Look::Pressed) {
        top = kPurpleDark;
        bottom = kPurple;
        mark = kGreenBright;
    } else if (look == Look::Disabled) {
        top = grey(kPurpleLight);
        bottom = grey(kPurple);
        mark = grey(kGreen).darker(115);
    }
    QLinearGradient fill(0, 0, 0, kHeight);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(look == Look::Disabled ? grey(kPurpleDark) : kPurpleDark, 1));
    p.setBrush(fill);
    p.drawRoundedRect(box, 5, 5);

    if (look == Look::Focused) {
        p.setPen(QPen(kGreenBright, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
    // A light edge above, a dark one below: raised, or sunk when pressed.
    const bool sunk = look == Look::Pressed;
    p.setPen(QPen(QColor(255, 255, 255, sunk ? 30 : 80), 1));
    p.drawLine(QPointF(6, 1.5), QPointF(kWidth - 6, 1.5));
    p.setPen(QPen(QColor(0, 0, 0, sunk ? 20 : 90), 1));
    p.drawLine(QPointF(6, kHeight - 1.5), QPointF(kWidth - 6, kHeight - 1.5));

    p.save();
    if (sunk)
        p.translate(1, 1);
    glyph(p, mark);
    p.restore();
    return img;
}

// Two chevrons pointing right: "copy across".
void arrowGlyph(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int i = 0; i < 2; ++i) {
        const qreal x = 15 + i * 11;
        QPainterPath path;
        path.moveTo(x, 7);
        path.lineTo(x + 10, 14);
        path.lineTo(x, 21);
        path.lineTo(x + 3, 14);
        path.closeSubpath();
        p.drawPath(path);
    }
}

// An envelope with a plus: "add to the book".
void addGlyph(QPainter& p, const QColor& c)
{
    p.setPen(QPen(c, 1.6));
    p.setBrush(Qt::NoBrush);
    const QRectF env(9, 8, 20, 13);
    p.drawRect(env);
    p.drawLine(env.topLeft(), QPointF(env.center().x(), env.center().y() + 1));
    p.drawLine(env.topRight(), QPointF(env.center().x(), env.center().y() + 1));
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(39, 9), QPointF(39, 19));
    p.drawLine(QPointF(34, 14), QPointF(44, 14));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mailart OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    struct Bitmap {
        int id;
        Look look;
        Glyph glyph;
    };
    const Bitmap bitmaps[] = {
        {134, Look::Normal, arrowGlyph},  {135, Look::Focused, arrowGlyph},
        {136, Look::Pressed, arrowGlyph}, {137, Look::Disabled, arrowGlyph},
        {146, Look::Normal, addGlyph},    {147, Look::Pressed, addGlyph},
        {148, Look::Focused, addGlyph},   {149, Look::Disabled, addGlyph},
    };
    for (const Bitmap& b : bitmaps) {
        const QString file = out + QStringLiteral("/%1.png").arg(b.id);
        if (!button(b.look, b.glyph).save(file)) {
            std::fprintf(stderr, "mailart: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
