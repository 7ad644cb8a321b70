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
} // namespace cmd
