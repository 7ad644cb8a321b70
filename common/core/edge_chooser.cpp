// Choosing a new puzzle's edges: random knobs and holes, each shared edge
// agreeing with the neighbour already made, and corner rules that keep two
// holes meeting at a corner from eating it away.

#include "edge_chooser.h"

#include "crt_random.h"
#include "piece.h"

namespace {

int byFive(int r, int s8, int s16)
{
    switch (r % 5) {
    case 0: return s8;
    case 1: return s16;
    case 2: return 0;
    case 3: return -s16;
    default: return -s8;
    }
}

int byThree(int r, int s16)
{
    switch (r % 3) {
    case 0: return s16;
    case 1: return 0;
    default: return -s16;
    }
}

CPiece* at(std::span<CPiece* const> made, long index)
{
    return index >= 0 && index < long(made.size()) ? made[size_t(index)] : nullptr;
}

} // namespace

void ChooseEdges(CPiece& p, int columns, int rows, int c, int w,
                 std::span<CPiece* const> made, int a)
{
    const int s8 = a / 8, s16 = a / 16;

    CPiece* above = w > 0 ? at(made, long(w - 1) * columns + c) : nullptr;
    CPiece* left = c > 0 ? at(made, long(w) * columns + c - 1) : nullptr;

    if (w == 0 || !above) {
        p.topKind = 0;
    } else {
        p.topKind = -above->bottomKind;
        p.topDx = above->bottomDx;
        p.topDy = above->bottomDy;
    }

    if (c == 0 || !left) {
        p.leftKind = 0;
    } else {
        p.leftKind = -left->rightKind;
        p.leftDx = left->rightDx;
        p.leftDy = left->rightDy;
    }

    if (c == columns - 1) {
        p.rightKind = 0;
    } else {
        const int r = crt::rand();
        p.rightKind = r % 2 == 0 ? 1 : -1;
        p.rightDx = byFive(r, s8, s16);
        p.rightDy = byThree(r, s16);
    }

    if (w == rows - 1) {
        p.bottomKind = 0;
    } else {
        const int r = crt::rand();
        p.bottomKind = r % 2 == 0 ? 1 : -1;
        p.bottomDx = byThree(r, s16);
        p.bottomDy = byFive(r, s8, s16);
    }

    p.tbDiameter = a / 2;
    p.lrDiameter = a / 2;

    const bool topHole = p.topKind == -1, leftHole = p.leftKind == -1;
    const bool rightHole = p.rightKind == -1, bottomHole = p.bottomKind == -1;

    if (topHole && leftHole) {
        if (p.topDx < 0) {
            p.topDx = 0;
            if (above) above->bottomDx = 0;
        }
        if (p.leftDy < 0) {
            p.leftDy = 0;
            if (left) left->rightDy = 0;
        }
        if (p.topDy == s8 && p.leftDx == s8) {
            if (crt::rand() % 2 == 0) {
                p.leftDx = s16;
                if (left) left->rightDx = s16;
            } else {
                p.topDy = s16;
                if (above) above->bottomDy = s16;
            }
        }
    }
    if (topHole && rightHole) {
        if (p.topDx > 0) {
            p.topDx = 0;
            if (above) above->bottomDx = 0;
        }
        if (p.rightDy < 0)
            p.rightDy = 0;
        if (p.topDy == s8 && p.rightDx == -s8) {
            if (crt::rand() % 2 == 0) {
                p.rightDx = -s16;
            } else {
                p.topDy = s16;
                if (above) above->bottomDy = s16;
            }
        }
    }
    if (leftHole && bottomHole) {
        if (p.leftDy > 0) {
            p.leftDy = 0;
            if (left) left->rightDy = 0;
        }
        if (p.bottomDx < 0)
            p.bottomDx = 0;
        if (p.bottomDy == -s8 && p.leftDx == s8) {
            if (crt::rand() % 2 == 0) {
                p.leftDx = s16;
                if (left) left->rightDx = s16;
            } else {
                p.bottomDy = -s16;
            }
        }
    }
    if (bottomHole && rightHole) {
        if (p.bottomDx > 0)
            p.bottomDx = 0;
        if (p.rightDy > 0)
            p.rightDy = 0;
        if (p.bottomDy == -s8 && p.rightDx == -s8) {
            if (crt::rand() % 2 != 0)
                p.bottomDy = -s16;
            else
                p.rightDx = -s16;
        }
    }
}
