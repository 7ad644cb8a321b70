#include "suite_font.h"

#include <QGuiApplication>
#include <QScreen>

QFont suiteFont(int points, int dpi)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setFixedPitch(false);
    f.setPixelSize((points * dpi + 36) / 72);
    f.setWeight(QFont::Weight(650));
    return f;
}

int screenDpiY()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInchY()) : 96;
}
