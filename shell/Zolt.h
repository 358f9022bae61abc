// The application: start-up (factory state, language, the main window), the run, and the
// shut-down (the main window's destruction closes the port and ends the comm thread).
#pragma once

#include "shell/CommandLine.h"

class QLocale;

namespace zolt {

// 1 (Chinese captions) for the Chinese (China) locale, else 0 (English).
int LanguageOfLocale(const QLocale& locale);

// Before the QApplication exists: true when a display can be used (an X or Wayland display,
// or a platform named by QT_QPA_PLATFORM or -platform).
bool HasDisplay(int argc, char** argv);

// Before the QApplication exists: true when a display can be used. Without one, a capture
// run switches to the offscreen platform; any other run prints where to turn and fails.
bool PrepareDisplay(int argc, char** argv);

// Runs the program with a QApplication already created; returns the exit code.
int RunZolt(const SCommandLine& options);

} // namespace zolt
