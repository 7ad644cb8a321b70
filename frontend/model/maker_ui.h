#pragma once
// What PuzzleMaker needs to ask or show while it works. The windows answer
// with dialogs and the progress bar; the command line answers from its
// options and shows nothing, so the maker itself never touches a widget.

class MakerUi {
public:
    virtual ~MakerUi() = default;

    // The custom level: false when the user cancelled. On true, rows,
    // columns and cell hold the grid the user settled on.
    virtual bool chooseCustomLevel(int width, int height, int& rows, int& columns, int& cell) = 0;
    // "File already exist, overwrite it?": true for Yes.
    virtual bool confirmOverwrite() = 0;

    // Progress of PrepareLevel: a range, steps forward, and the end.
    virtual void progressStart(int range) = 0;
    virtual void progressAdvance(int by) = 0;
    virtual void progressEnd() = 0;
};
