#pragma once
// What a screen reader says about the current piece, the finish and a hint.
// No widgets: the frame gathers the facts, these words come from here.

#include <QString>

namespace piece_description {

enum class Shape { Corner, Edge, Interior };
enum class Where { Column, Board, Tray, Carried };

struct Facts {
    Shape shape = Shape::Interior;
    Where where = Where::Column;
    int position = 0;     // 1-based place among the pieces shown in the column
    int shown = 0;        // pieces the column shows
    bool fixed = false;   // on the board
    int groupSize = 1;    // on the board or carried
    QString trayTitle;    // in a tray
};

// e.g. "edge piece, 3 of 48 in the column", "interior piece, on the board,
// loose, group of 4", "corner piece, on the board, fixed", "edge piece, in Tray1".
QString describe(const Facts& f);
// "No piece" when nothing is current.
QString nothingCurrent();
QString puzzleComplete();
// The hinted neighbour's place: "Hint: the neighbour is in the column" and so on.
QString hint(Where neighbour, const QString& trayTitle = QString());

} // namespace piece_description
