#pragma once
// JPEG pictures decoded straight through libjpeg, with no image plugin: the
// player's start decodes its puzzle and background this way while the
// application object is still being made, when the toolkit's plugin lookup
// may not yet run on a second thread. The same library and settings as the
// toolkit's reader (accurate DCT, smooth upsampling), so the pixels are the
// same; anything the library so much as warns about is left to the toolkit,
// so that a damaged file fails or shows as it always did.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace jpeg_decode {

// `out` as RGB32 on success. False, `out` untouched, for what is not a
// sound JPEG that the library converts to RGB by itself (CMYK is not), for
// one the structure check refuses, and for one larger than `maxSize` or
// than the toolkit would decode.
bool decode(const QByteArray& bytes, QSize maxSize, QImage& out);

// The size a JPEG's headers declare, read by the library (the toolkit's
// reader would first load its JPEG plugin); invalid for what is not a JPEG
// whose headers the library reads without a warning, or what the structure
// check refuses.
QSize declaredSize(const QByteArray& bytes);

} // namespace jpeg_decode
