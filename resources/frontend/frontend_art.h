// The front end's bitmaps, embedded as Qt resources under ":/frontend/",
// one PNG per bitmap named as the windows ask for it: ":/frontend/01_MAIN.png",
// ":/frontend/181.png" (the about picture), ":/frontend/140.png", ...
#pragma once

#include <QImage>
#include <QString>

// Registers the embedded art; call once at start-up (see initPlayerArt).
void initFrontendArt();

// The bitmap of that name, or a null image when there is none.
QImage frontendBitmap(const QString& name);
