#include "dialog_layout.h"

#include <QFontMetrics>
#include <QWidget>

namespace dlu {

QFont dialogFont()
{
    QFont f(QStringLiteral("MS Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPointSize(8);
    return f;
}

namespace {
QPoint base(const QWidget* w)
{
    const QFontMetrics fm(w->font());
    return {qMax(1, fm.averageCharWidth()), qMax(1, fm.height())};
}
} // namespace

QRect rect(const QWidget* dialog, int x, int y, int w, int h)
{
    const QPoint b = base(dialog);
    return QRect(x * b.x() / 4, y * b.y() / 8, w * b.x() / 4, h * b.y() / 8);
}

void sizeDialog(QWidget* dialog, int w, int h)
{
    dialog->setFont(dialogFont());
    dialog->setFixedSize(rect(dialog, 0, 0, w, h).size());
}

void place(QWidget* child, int id, int x, int y, int w, int h)
{
    if (id != 0)
        child->setObjectName(QString::number(id));
    child->setGeometry(rect(child->parentWidget(), x, y, w, h));
}

} // namespace dlu
