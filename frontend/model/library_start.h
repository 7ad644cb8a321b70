#pragma once
// What Vorlin does with its library before anything reads it, at every
// start (windows and command line alike): the user's folders are made, a
// puzzle write that a kill cut short is finished or undone, and on the very
// first start the sample puzzle shipped in Data is listed, so a new user's
// first Load Game is not empty.

#include "suite_folders.h"

namespace library_start {

inline const char* const kSampleName = "Sample";

void prepare(const SuiteFolders& folders);

// Lists Sample.puz with its real grid (and makes its thumbnail when Data
// has none) when the library file does not exist yet. For a system install
// the shipped puzzle is first copied into the user's Data, where the player
// keeps its saved game and the load window may delete it. A library that
// exists is never changed here, so a sample the user deleted stays deleted.
// True when it was listed.
bool listShippedSample(const SuiteFolders& folders);

} // namespace library_start
