#pragma once
// Placing controls in dialog units, the way the dialog templates give them:
// a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace dlu {
// The font of the mail dialogs (a serif face).
QFont dialogFont();
// Sets the font and the fixed size of a dialog of w x h units.
void sizeDialog(QWidget* dialog, int w, int h);
QRect rect(const QWidget* dialog, int x, int y, int w, int h);
// Places a child and names it after its control number, so that it can be
// found by it.
void place(QWidget* child, int id, int x, int y, int w, int h);
} // namespace dlu
