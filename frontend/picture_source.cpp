#include "picture_source.h"

#include "bmp_dialog.h"
#include "imaging.h"
#include "puzzle_maker.h"
#include "scanner.h"

namespace picture_source {
namespace {
PictureChoiceScript* g_script = nullptr;
}

PictureChoiceScript::PictureChoiceScript() { g_script = this; }
PictureChoiceScript::~PictureChoiceScript() { g_script = nullptr; }

bool LoadFromFile(PuzzleMaker& maker, QWidget* parent)
{
    const QString path = g_script ? g_script->next() : CBmpDialog::getPicture(parent);
    if (path.isEmpty())
        return false;
    return maker.LoadFromPath(path);
}

bool LoadFromScanner(PuzzleMaker& maker, QWidget* parent)
{
    if (!scanner::selectSource(parent))
        return false;
    imaging::release(maker.workingImage);
    ToolkitBitmap scanned;
    if (!scanner::scan(parent, scanned) || scanned.width() <= 1 || scanned.height() <= 1)
        return false;
    return maker.LoadFromPicture(std::move(scanned));
}

} // namespace picture_source
