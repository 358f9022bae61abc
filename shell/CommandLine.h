// The options of the zolt program: extra port candidates, the built-in simulated
// processor, a language override and the screenshot run. With no options the program
// behaves exactly as it does when started from the desktop.
#pragma once

#include "link/NetworkPort.h"

#include <optional>
#include <string>
#include <vector>

namespace zolt {

struct SCommandLine {
    std::vector<std::string> m_astrPorts; // --port PATH, in the order given, ahead of the system's
    bool m_bSimulator = false;            // --simulator: a simulated processor on a pty, first
    std::optional<int> m_onLanguage;      // --lang zh|en: 1 Chinese, 0 English; else the locale
    std::string m_strCaptureDir;          // --capture DIR; empty for a normal run
    SNetworkKeys m_keys;    // --ca, --cert, --key FILE and --insecure, for network rooms
    std::string m_strVenue; // --venue FILE: the rooms the top strip offers
};

// What the command line asks for: the window, or only the help or version text.
enum class ERunAction { Window, Help, Version };

struct SCommandLineResult {
    SCommandLine m_options;
    ERunAction m_eAction = ERunAction::Window;
    std::string m_strError; // empty when the arguments were understood
};

// Parses the arguments after the program name. --help and --version win over anything
// else on the line, so they answer even beside options only Qt knows.
SCommandLineResult ParseCommandLine(const std::vector<std::string>& args);

// The usage text printed for --help and after an error. Needs the application object
// (the usage line names the program as it was started).
std::string UsageText();

// "zolt <version>", printed for --version.
std::string VersionText();

} // namespace zolt
