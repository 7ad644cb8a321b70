#pragma once
// The one entry of Vorlin's windows. They live in libvorlin_windows.so
// beside the program, so that the command line, which needs none of them,
// never loads Qt Widgets, the scanner library or the art.

// The name main() looks the entry up by, and the library's file name.
#define VORLIN_WINDOWS_ENTRY "vorlin_windows_main"
#define VORLIN_WINDOWS_LIBRARY "libvorlin_windows.so"

extern "C" {
// Shows the main menu (or the wizard on a picture named on the command line)
// and returns the program's exit status.
int vorlin_windows_main(int argc, char** argv);
}
