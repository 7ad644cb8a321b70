#pragma once
// Picture files built to cost a reader as much as their headers can make it,
// made byte by byte so that no hostile file is kept in the repository.

#include <QByteArray>

namespace hostile {

// A small valid 20 x 20 PNG followed, after its image data, by a text chunk
// whose length field says `declared` bytes; the whole file is `totalBytes`
// long (277 by default), so the chunk runs past the end.
QByteArray pngWithTextChunk(quint32 declared = 0x7FFFFFFF, int totalBytes = 277);
// A PNG of width x height whose one IDAT chunk declares far more bytes than follow.
QByteArray pngIdatPastEnd(int width, int height);
// A structurally sound PNG of width x height whose image data is a few
// hundred bytes: far too little for deflate to fill that many pixels.
QByteArray pngStarved(int width, int height);
// A GIF whose logical screen is width x height, holding one frame of 2 x 2
// pixels: 53 bytes, however large the screen.
QByteArray gifCanvas(int width, int height);
// A 24-bit BMP of width x height that ends right after its headers (54 bytes).
QByteArray bmpHeadersOnly(int width, int height);
// A baseline JPEG of a few hundred bytes whose frame header says width x height.
QByteArray jpegClaiming(int width, int height);

} // namespace hostile
