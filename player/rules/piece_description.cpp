#include "piece_description.h"

namespace piece_description {

namespace {
QString shapeText(Shape s)
{
    switch (s) {
    case Shape::Corner:
        return QStringLiteral("corner piece");
    case Shape::Edge:
        return QStringLiteral("edge piece");
    case Shape::Interior:
        break;
    }
    return QStringLiteral("interior piece");
}

QString groupText(int size)
{
    return size > 1 ? QStringLiteral(", group of %1").arg(size) : QStringLiteral(", single");
}
} // namespace

QString describe(const Facts& f)
{
    const QString shape = shapeText(f.shape);
    switch (f.where) {
    case Where::Column:
        return QStringLiteral("%1, %2 of %3 in the column").arg(shape).arg(f.position).arg(f.shown);
    case Where::Board:
        if (f.fixed)
            return shape + QStringLiteral(", on the board, fixed");
        return shape + QStringLiteral(", on the board, loose") + groupText(f.groupSize);
    case Where::Tray:
        return QStringLiteral("%1, in %2").arg(shape, f.trayTitle);
    case Where::Carried:
        return shape + QStringLiteral(", carried over the board") + groupText(f.groupSize);
    }
    return shape;
}

QString nothingCurrent() { return QStringLiteral("No piece"); }

QString puzzleComplete() { return QStringLiteral("Puzzle complete"); }

QString hint(Where neighbour, const QString& trayTitle)
{
    switch (neighbour) {
    case Where::Column:
        return QStringLiteral("Hint: the neighbour is in the column");
    case Where::Board:
        return QStringLiteral("Hint: the neighbour is on the board");
    case Where::Tray:
        return QStringLiteral("Hint: the neighbour is in %1").arg(trayTitle);
    case Where::Carried:
        break;
    }
    return QStringLiteral("Hint: the neighbour is carried");
}

} // namespace piece_description
