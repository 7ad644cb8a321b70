#pragma once
// The guide picture of a puzzle, its JPEG and its thumbnail, made on a
// second core while the puzzle picture is cut and shaded: they depend only
// on the working picture and the puzzle's size, both known once a level is
// chosen. The results are taken only for the same picture at the same size;
// otherwise (no free thread, another level, a changed picture) the writer
// makes them itself, so what is written never depends on the timing.

#include "imaging.h"

#include <QByteArray>
#include <QSize>

#include <memory>

class GuideAhead {
public:
    struct Made {
        ToolkitBitmap guide; // the working picture at the puzzle's size
        QByteArray jpeg;     // the guide as stored in the puzzle file
        QByteArray thumbnail;
    };

    GuideAhead();
    GuideAhead(const GuideAhead&) = delete;
    GuideAhead& operator=(const GuideAhead&) = delete;
    ~GuideAhead();

    // Starts on a pool thread when one is free; a run already going is
    // waited for and dropped.
    void start(const ToolkitBitmap& working, QSize size);
    // What was made ahead for exactly this picture at this size; false
    // (and nothing taken) otherwise. Waits for a run still going.
    bool take(const ToolkitBitmap& working, QSize size, Made& out);
    // Made in the caller's thread, as a run ahead makes it.
    static Made make(const ToolkitBitmap& working, QSize size);

private:
    struct Run;
    void finish();

    std::shared_ptr<Run> run_;
};
