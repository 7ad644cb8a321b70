// The wizard's bitmaps: its title, Back, Next, Finish and Home, the five
// pages' titles and radio options, and the radio mark. Everything is drawn
// over the part of the wizard background it is copied onto.
#include "art.h"
#include "frontend_icons.h"
#include "frontend_kit.h"
#include "frontend_layout.h"
#include "theme.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace art {

using namespace frontend;

namespace {

// A page place in window pixels.
QRect onPage(const QRect &r) { return r.translated(kPageArea.topLeft()); }

QImage pageTitle(const QImage &bg, const QRect &place, const QString &text)
{
    return over(bg, onPage(place), [&](QPainter &p) {
        titleFace(p, QRectF(0, 0, place.width(), place.height()).adjusted(4, 2, -4, -2), text, 24);
    });
}

// A radio option's strip; its look is width x height even where the page
// gives it a wider place.
QImage option(const QImage &bg, const QRect &place, int width, int height, const QString &label)
{
    const QRect at(onPage(place).topLeft(), QSize(width, height));
    return stripAt(bg, at, [&](QPainter &p, Look look) { optionFace(p, at.size(), look, label); });
}

QImage wizardButton(const QImage &bg, const QRect &place, const QString &label, const IconFn &icon,
                    const FaceStyle &style)
{
    return stripAt(bg, place, [&](QPainter &p, Look look) {
        bigFace(p, QRect(3, 0, place.width() - 6, place.height() - 2), look, label, icon, style);
    });
}

// Off above, on below; both on the flat page panel.
QImage radioMark()
{
    QImage img(kRadioW, 2 * kRadioH, QImage::Format_RGB32);
    img.fill(kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int on = 0; on < 2; ++on) {
        // Centred on the option's label, whose look is 29 high.
        const QPointF c(kRadioW / 2.0 + 1, on * kRadioH + 14.5);
        p.setPen(QPen(kPurple, 2));
        QRadialGradient socket(c + QPointF(-2, -2), 12);
        socket.setColorAt(0, Qt::white);
        socket.setColorAt(1, QColor(206, 190, 236));
        p.setBrush(socket);
        p.drawEllipse(c, 10.5, 10.5);
        if (on) {
            QRadialGradient dot(c + QPointF(-2, -2.5), 8);
            dot.setColorAt(0, kGreenBright);
            dot.setColorAt(1, QColor(24, 130, 24));
            p.setPen(QPen(QColor(20, 90, 20), 1));
            p.setBrush(dot);
            p.drawEllipse(c, 6.5, 6.5);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 170));
            p.drawEllipse(c + QPointF(-2.2, -2.6), 2, 1.6);
        }
    }
    p.end();
    return img;
}

} // namespace

std::vector<NamedBitmap> wizardBitmaps(const QImage &bg)
{
    std::vector<NamedBitmap> out;
    out.push_back({QStringLiteral("08_NEWGAME"), over(bg, kTitle, [](QPainter &p) {
                       titleFace(p, QRectF(0, 0, kTitle.width(), kTitle.height()).adjusted(10, 2, -6, -2),
                                 QStringLiteral("New Game"), 26);
                   })});
    const FaceStyle small{30, 15};
    out.push_back({QStringLiteral("02_BACK"), wizardButton(bg, kBack, QStringLiteral("Back"), icons::back, small)});
    out.push_back({QStringLiteral("02_NEXT"), wizardButton(bg, kNext, QStringLiteral("Next"), icons::next, small)});
    out.push_back({QStringLiteral("02_FINISH"), wizardButton(bg, kNext, QStringLiteral("Finish"), icons::finish, small)});
    out.push_back({QStringLiteral("HOME"), wizardButton(bg, kHome, QStringLiteral("Home"), icons::home, {58, 17})});

    out.push_back({QStringLiteral("02_GETIMAGE"), pageTitle(bg, kGetImageTitle, QStringLiteral("Get a Picture"))});
    out.push_back({QStringLiteral("02_GET_OPEN"), option(bg, kGetOpen, 180, 29, QStringLiteral("Open a picture file"))});
    out.push_back({QStringLiteral("02_GET_SCAN"), option(bg, kGetScan, 180, 29, QStringLiteral("Scan a picture"))});

    out.push_back({QStringLiteral("02_LEVEL"), pageTitle(bg, kLevelTitle, QStringLiteral("Choose a Level"))});
    out.push_back({QStringLiteral("02_LEVEL_EASY"), option(bg, kLevelEasy, 78, 29, QStringLiteral("Easy"))});
    out.push_back({QStringLiteral("02_LEVEL_NORMAL"), option(bg, kLevelNormal, 127, 29, QStringLiteral("Normal"))});
    out.push_back({QStringLiteral("02_LEVEL_HARD"), option(bg, kLevelHard, 85, 29, QStringLiteral("Hard"))});
    out.push_back({QStringLiteral("02_LEVEL_OTHER"), option(bg, kLevelOther, 129, 30, QStringLiteral("Custom..."))});

    out.push_back({QStringLiteral("03_ROTATE"), pageTitle(bg, kRotateTitle, QStringLiteral("Turn the Pieces?"))});
    out.push_back({QStringLiteral("03_ROTATE_YES"), option(bg, kRotateYes, 55, 29, QStringLiteral("Yes"))});
    out.push_back({QStringLiteral("03_ROTATE_NO"), option(bg, kRotateNo, 43, 29, QStringLiteral("No"))});

    out.push_back({QStringLiteral("04_SAVENAME"), pageTitle(bg, kNameTitle, QStringLiteral("Name the Puzzle"))});

    out.push_back({QStringLiteral("05_CREATE"), pageTitle(bg, kCreateTitle, QStringLiteral("Create"))});
    out.push_back({QStringLiteral("05_CREATE_PLAY"), option(bg, kCreatePlay, 101, 37, QStringLiteral("Play it"))});
    out.push_back({QStringLiteral("05_CREATE_EMAIL"), option(bg, kCreateEmail, 112, 28, QStringLiteral("E-mail it"))});

    out.push_back({QStringLiteral("02_RADIO"), radioMark()});
    return out;
}

} // namespace art
