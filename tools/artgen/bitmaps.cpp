// The bitmap resources of each program gathered in one list.
#include "art.h"

#include <algorithm>

namespace art {

std::vector<Bitmap> playerBitmaps(const QImage &bg)
{
    std::vector<Bitmap> all = buttonBitmaps(bg);
    std::vector<Bitmap> frames = frameBitmaps();
    all.insert(all.end(), frames.begin(), frames.end());
    std::sort(all.begin(), all.end(), [](const Bitmap &a, const Bitmap &b) { return a.id < b.id; });
    return all;
}

std::vector<NamedBitmap> frontendBitmaps()
{
    const QImage mainBg = mainMenuBackground(), wizardBg = wizardBackground();
    std::vector<NamedBitmap> all{{QStringLiteral("01_MAIN"), mainBg}, {QStringLiteral("02_MAIN"), wizardBg}};
    for (auto &b : mainMenuBitmaps(mainBg)) all.push_back(std::move(b));
    for (auto &b : wizardBitmaps(wizardBg)) all.push_back(std::move(b));
    for (auto &b : loadWindowBitmaps(wizardBg)) all.push_back(std::move(b));
    return all;
}

} // namespace art
