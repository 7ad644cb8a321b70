// The player's bitmaps and join sound, embedded as Qt resources under
// ":/player/": ":/player/<id>.png" for bitmap resource <id> (for example
// ":/player/155.png", the Restart button) and ":/player/134.wav" for the
// join sound.
#pragma once

// Registers the embedded art. The resources live in a static library, and a
// linker may drop an object file nobody refers to; calling this once at
// start-up (before the first bitmap is loaded) keeps them in the program.
void initPlayerArt();
