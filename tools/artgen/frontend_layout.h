// Where Vorlin's windows put their bitmaps (window pixels of the 800 x 600
// windows, page pixels on the wizard's pages). The backgrounds are designed
// around these places and every button is drawn over the background pixels
// it covers.
#pragma once

#include "layout.h"

#include <QRect>

namespace art::frontend {

// A place from its left, top, right and bottom, as the windows list them.
constexpr QRect ltrb(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }

// --- main menu ------------------------------------------------------------
constexpr QRect kMenuGame = ltrb(10, 0, 71, 27);
constexpr QRect kMenuNewGame = ltrb(44, 468, 231, 518);
constexpr QRect kMenuLoadGame = ltrb(59, 527, 303, 583);
constexpr QRect kMenuAbout = ltrb(343, 510, 454, 553);
constexpr QRect kMenuExit = ltrb(721, 547, 796, 591);

// Caption-bar buttons of every 800 x 600 window.
constexpr QRect kBarHelp = ltrb(672, 0, 723, 27);
constexpr QRect kBarIcon = ltrb(736, 1, 764, 25);
constexpr QRect kBarClose = ltrb(765, 1, 793, 25);
constexpr int kCaptionBand = layout::kCaptionBand;

// Game menu rows hang below the game button.
constexpr int kMenuRowH = 41;
constexpr int kMenuTileW = 20;

// --- wizard ---------------------------------------------------------------
constexpr QRect kTitle = ltrb(0, 42, 215, 93);          // "New Game" / "Load Game"
constexpr QRect kBack = ltrb(547, 414, 649, 478);
constexpr QRect kNext = ltrb(678, 408, 780, 474);       // also Finish
constexpr QRect kHome = ltrb(616, 479, 728, 587);
constexpr QRect kPreviewArea = ltrb(35, 116, 482, 563);
constexpr QRect kPageArea = ltrb(504, 59, 791, 360);
constexpr int kPageHeader = 52;                          // titles stand in it
// The name of the puzzle is written in black under the preview.
constexpr int kNameTop = kPreviewArea.bottom() + 1 - 20;

// Page titles and options, in page pixels.
constexpr QRect kGetImageTitle = ltrb(46, 0, 276, 52);
constexpr QRect kGetOpen = ltrb(84, 82, 264, 111);
constexpr QRect kGetScan = ltrb(86, 139, 286, 168);
constexpr QRect kLevelTitle = ltrb(46, 0, 276, 52);
constexpr QRect kLevelEasy = ltrb(93, 84, 171, 113);
constexpr QRect kLevelNormal = ltrb(91, 142, 218, 171);
constexpr QRect kLevelHard = ltrb(106, 202, 191, 231);
constexpr QRect kLevelOther = ltrb(92, 264, 221, 294);
constexpr QRect kRotateTitle = ltrb(37, 0, 287, 52);
constexpr QRect kRotateYes = ltrb(144, 84, 199, 113);
constexpr QRect kRotateNo = ltrb(142, 141, 185, 170);
constexpr QRect kNameTitle = ltrb(46, 0, 276, 52);
constexpr QRect kNameEdit = ltrb(86, 91, 231, 111);
constexpr QRect kCreateTitle = ltrb(94, 0, 227, 52);
constexpr QRect kCreatePlay = ltrb(120, 87, 221, 124);
constexpr QRect kCreateEmail = ltrb(126, 150, 238, 178);

// The radio mark sits this far left of its option, one mark 37 x 36.
constexpr int kRadioShift = 37;
constexpr int kRadioW = 37;
constexpr int kRadioH = 36;

// --- load window ----------------------------------------------------------
constexpr QRect kLoadPicture = ltrb(512, 36, 800, 135);
constexpr QRect kLoadPlay = ltrb(563, 135, 723, 177);
constexpr QRect kLoadEmail = ltrb(552, 202, 747, 239);
constexpr QRect kLoadRename = ltrb(558, 268, 764, 305);
constexpr QRect kLoadDelete = ltrb(557, 334, 739, 371);
constexpr QRect kLoadUp = ltrb(34, 526, 97, 564);
constexpr QRect kLoadDown = ltrb(420, 525, 479, 563);
constexpr QRect kSlot0 = QRect(45, 136, 137, 164);
// The thumbnail is centred in the slot's top 124 rows; name and size are
// written in black below it.
constexpr int kSlotPictureH = 124;
constexpr int kSlotNameTop = 120;

// --- keyboard focus -------------------------------------------------------
// The focus look: four corner brackets, one to a kFocusCorner square of a
// 2 x 2 bitmap; a window puts each at its corner of the focused button.
constexpr int kFocusCorner = 14;
constexpr int kFocusArm = 5; // a bracket's arm is this thick: dark rim, light core, dark rim

// --- small windows ----------------------------------------------------------
constexpr QSize kAbout{332, 207};
constexpr QRect kAboutVersion = ltrb(107, 95, 297, 115);  // "Version 1.0" in white
constexpr QSize kProgress{199, 43};
constexpr QRect kProgressTrack{9, 9, 178, 26};             // the fill runs here
constexpr int kProgressTile = 14;

} // namespace art::frontend
