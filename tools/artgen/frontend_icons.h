// Icons of the front end's buttons, drawn in one colour into a box.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace art::frontend::icons {

void newGame(QPainter &p, const QRectF &box, const QColor &c);   // piece with a plus
void loadGame(QPainter &p, const QRectF &box, const QColor &c);  // a stack of cards
void about(QPainter &p, const QRectF &box, const QColor &c);     // "i" in a ring
void exit(QPainter &p, const QRectF &box, const QColor &c);      // door and arrow
void play(QPainter &p, const QRectF &box, const QColor &c);
void mail(QPainter &p, const QRectF &box, const QColor &c);
void rename(QPainter &p, const QRectF &box, const QColor &c);    // pencil
void remove(QPainter &p, const QRectF &box, const QColor &c);    // bin
void back(QPainter &p, const QRectF &box, const QColor &c);
void next(QPainter &p, const QRectF &box, const QColor &c);
void finish(QPainter &p, const QRectF &box, const QColor &c);    // flag
void home(QPainter &p, const QRectF &box, const QColor &c);
void up(QPainter &p, const QRectF &box, const QColor &c);
void down(QPainter &p, const QRectF &box, const QColor &c);

} // namespace art::frontend::icons
