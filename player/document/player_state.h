#pragma once
// The player's process-wide game options and flags. The application owns the
// one instance; the document and the windows read it, and changes to the
// game go through markModified().

#include <cstdint>

struct PlayerState {
    int32_t backgroundOption = 0; // the faded guide picture is shown on the board
    int32_t soundOption = 1;
    int32_t rotationAllowed = 1;  // set by every puzzle load
    int32_t modified = 0;         // the game changed since it was last saved

    void markModified() { modified = 1; }
};
