#pragma once
// Command numbers of the player's windows, dispatched through OnCommand(int).

namespace cmd {
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kAddTray = 32780;
constexpr int kLoadGame = 32782;
constexpr int kSound = 32783;
constexpr int kBackground = 32784;
constexpr int kClosePopup = 32785;
// Beyond the original menus: the Game menu's Undo and Redo, the Options
// menu's edge sorting.
constexpr int kUndo = 32786;
constexpr int kRedo = 32787;
constexpr int kEdgesFirst = 32788;
constexpr int kEdgesOnly = 32789;
} // namespace cmd
