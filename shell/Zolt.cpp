#include "shell/Zolt.h"

#include "controls/MessageBox.h"
#include "link/NetworkPort.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "shell/Capture.h"
#include "shell/UserSettings.h"
#include "shell/ZoltDlg.h"
#include "sim/SimLine.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <memory>

namespace zolt {

namespace {

// A screen the window fits on, for the screenshot run.
constexpr QSize kCaptureScreen(1920, 1080);

bool HasArgument(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return true;
        }
    }
    return false;
}

// The port name of --simulator's processor inside the program.
constexpr const char* kSimulatorPort = "simulator";

} // namespace

int LanguageOfLocale(const QLocale& locale) {
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China ? 1 : 0;
}

bool HasDisplay(int argc, char** argv) {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           HasArgument(argc, argv, "-platform") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool PrepareDisplay(int argc, char** argv) {
    if (HasDisplay(argc, argv)) {
        return true;
    }
    if (HasArgument(argc, argv, "--capture")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    const char* program = argc > 0 ? argv[0] : "zolt";
    std::fprintf(stderr,
                 "zolt: no display (DISPLAY is not set); run it on a virtual one with "
                 "\"xvfb-run -a %s --simulator\", or save screenshots with \"%s --simulator "
                 "--capture DIR\"\n",
                 program, program);
    return false;
}

int RunZolt(const SCommandLine& options) {
    FactoryDefaults();
    g_flags.m_nLanguage = options.m_onLanguage.value_or(LanguageOfLocale(QLocale::system()));

    std::optional<SVenue> venue;
    if (!options.m_strVenue.empty()) {
        std::string error;
        if (!ReadVenue(options.m_strVenue, venue.emplace(), error)) {
            for (std::size_t end = error.find('\n'); end != std::string::npos;
                 end = error.find('\n', end + 7)) {
                error.replace(end, 1, "\nzolt: ");
            }
            std::fprintf(stderr, "zolt: %s\n", error.c_str());
            return 1;
        }
    }

    // Every port is a serial device, except the simulated processor's, the first candidate,
    // and the network rooms.
    CSerialOpener serialPorts;
    CNetworkOpener rooms(venue ? DeskKeys(*venue, options.m_keys) : options.m_keys, &serialPorts);
    sim::CSimOpener ports(SystemClock(), &rooms);
    SZoltOptions window;
    window.m_pOpener = &ports;
    if (options.m_bSimulator) {
        ports.Add(kSimulatorPort).KeepFrames(false); // it runs for as long as the program
        window.m_astrPorts.push_back(kSimulatorPort);
    }
    window.m_astrPorts.insert(window.m_astrPorts.end(), options.m_astrPorts.begin(),
                              options.m_astrPorts.end());
    window.m_venue = std::move(venue);
    const bool capturing = !options.m_strCaptureDir.empty();
    // Screenshots show the window as it starts for anyone: nothing remembered is read or
    // written.
    window.m_bRemember = !capturing;
    window.m_bLanguageGiven = options.m_onLanguage.has_value();
    if (!MakeModeFolder()) {
        std::fprintf(stderr, "zolt: the folder \"Mode\" cannot be made in %s\n",
                     qPrintable(DataFolder()));
    }
    std::unique_ptr<CScopedMessageBoxHandler> quietBoxes;
    if (capturing) {
        // Nobody is there to close a box: its text goes to the terminal instead.
        quietBoxes =
            std::make_unique<CScopedMessageBoxHandler>([](QWidget*, const SMessageBox& box) {
                std::fprintf(stderr, "zolt: %s\n", qPrintable(box.m_strText));
                return EMsgResult::Ok;
            });
        window.m_screenSize = kCaptureScreen;
    }

    int result = 0;
    {
        CZoltDlg dlg(std::move(window));
        dlg.show();
        std::unique_ptr<CCapture> capture;
        if (capturing) {
            capture =
                std::make_unique<CCapture>(dlg, QString::fromStdString(options.m_strCaptureDir));
            capture->Begin();
        }
        result = QApplication::exec();
        if (capture) {
            result = capture->ExitCode();
        }
    }
    return result;
}

} // namespace zolt
