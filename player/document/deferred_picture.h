#pragma once
// A picture of a puzzle file that is checked when the puzzle opens but
// decoded only when first shown. The guide picture is shown by few players
// and never in the first paint, and its decode is as long as the
// picture's: at open it would stand between the user and the puzzle.

#include "imaging.h"

#include <QByteArray>
#include <QSize>

class DeferredPicture {
public:
    // Checks the file's structure and the size it declares, refusing what
    // the toolkit would be made to read too long or allocate too much for,
    // or what is larger than `maxSize`. A format that declares no size is
    // decoded now, as before. False when refused; the picture is then empty.
    bool prepare(const QByteArray& bytes, QSize maxSize);

    bool isNull() const { return !size_.isValid(); }
    // As the file declares it, known without decoding.
    QSize size() const { return size_; }
    // Decoded on the first call. Null when there is no picture or when the
    // data past the checked headers is damaged: the puzzle then plays on
    // without it.
    const ToolkitBitmap& picture() const;

    void clear();

private:
    mutable QByteArray bytes_; // let go once decoded
    QSize size_;
    QSize maxSize_;
    mutable ToolkitBitmap decoded_;
    mutable bool decodeTried_ = false;
};
