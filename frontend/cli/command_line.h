#pragma once
// Vorlin's command line, for people who script their puzzles: the same
// model calls as the wizard, without a window or a display.
//
//   Vorlin --make PICTURE --name NAME [--level easy|normal|hard] [--rows N]
//          [--no-rotation] [--yes]
//   Vorlin --list
//   Vorlin --help
//
// Exit status: 0 done, 1 refused or failed (the reason on standard error),
// 2 the command line itself was wrong (the usage follows the reason).

// True when the arguments hold one of the command line's options: then
// main() runs commandLineMain instead of the windows.
bool wantsCommandLine(int argc, char** argv);

// Runs one command. Makes a QCoreApplication when none exists yet; never a
// QApplication.
int commandLineMain(int argc, char** argv);
