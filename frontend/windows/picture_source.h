#pragma once
// The two ways the wizard gets a picture into the maker: a file chosen in the
// picture dialog, or one page from a scanner. Both end fitted and passed
// through the scratch JPEG by the maker.

#include <QString>
#include <QStringList>

class PuzzleMaker;
class QWidget;

namespace picture_source {

// True when a picture was loaded; false when the user cancelled or the file
// could not be read (the maker then has no working picture, and nothing is said).
bool LoadFromFile(PuzzleMaker& maker, QWidget* parent);
// True when a page was scanned. A cancelled source choice keeps the working
// picture; a failed scan leaves none. Scans of a single pixel row or column fail.
bool LoadFromScanner(PuzzleMaker& maker, QWidget* parent);

// While one exists, LoadFromFile takes its answers instead of showing the
// picture dialog (an empty answer is a cancel), so the wizard can be driven
// by tests; the dialog has tests of its own.
class PictureChoiceScript {
public:
    PictureChoiceScript();
    ~PictureChoiceScript();
    PictureChoiceScript(const PictureChoiceScript&) = delete;
    PictureChoiceScript& operator=(const PictureChoiceScript&) = delete;
    void answer(const QString& path) { answers_ << path; }
    QString next() { return answers_.isEmpty() ? QString() : answers_.takeFirst(); }

private:
    QStringList answers_;
};

} // namespace picture_source
