#include "bitmap_button.h"

#include <QPainter>

QPixmap libraryBitmap(int id) { return QPixmap(QStringLiteral(":/mail/%1.png").arg(id)); }

CBitmapButton::CBitmapButton(int normal, int pressed, int focused, int disabled, QWidget* parent)
    : QAbstractButton(parent)
{
    const int ids[4] = {normal, pressed, focused, disabled};
    for (int i = 0; i < 4; ++i)
        looks_[i] = libraryBitmap(ids[i]);
    setFocusPolicy(Qt::StrongFocus);
}

QSize CBitmapButton::sizeHint() const { return looks_[0].isNull() ? QSize(32, 24) : looks_[0].size(); }

int CBitmapButton::look() const
{
    if (!isEnabled())
        return 3;
    if (isDown())
        return 1;
    if (hasFocus())
        return 2;
    return 0;
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPixmap& pm = looks_[look()];
    if (pm.isNull()) {
        p.fillRect(rect(), palette().button());
        return;
    }
    p.drawPixmap(rect(), pm);
}
