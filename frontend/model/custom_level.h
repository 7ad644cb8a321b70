#pragma once
// The custom level dialog's arithmetic: the rows decide the cell size and the
// columns follow from the picture's width. "+" and "-" keep the cell between
// 32 and 128 pixels; the grid never falls below one row and one column, so
// even a picture smaller than a cell makes a puzzle.

struct CustomLevel {
    int width = 640;
    int height = 480;
    int rows = 7;
    int columns = 10;
    int cell = 64;

    // Cells of 64 pixels, a count rounded up when more than half a cell is
    // left over. A width or height of 0 or less stands for 640 x 480.
    static CustomLevel start(int width, int height);

    // One row more: refused (false, nothing changed) when the cell would fall
    // below 32 pixels.
    bool plus();
    // One row fewer: refused when no row would be left or the cell would
    // grow past 128 pixels.
    bool minus();

    // Presses "+" or "-" until `wantedRows` rows show; false (and the grid
    // as the last accepted press left it) when a press on the way is refused.
    // Asking for the start rows leaves the start grid.
    bool stepTo(int wantedRows);

private:
    void follow();
};
