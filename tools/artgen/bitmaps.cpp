// The player's bitmap resources gathered in one list.
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

} // namespace art
