// zolt: the desktop control program of the karaoke processor.
#include "link/NetworkPort.h"
#include "shell/CommandLine.h"
#include "shell/Zolt.h"

#include <QApplication>

#include <clocale>
#include <cstdio>

namespace {

std::vector<std::string> ArgumentsAfterProgram(const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& arg : arguments.mid(1)) {
        args.push_back(arg.toStdString());
    }
    return args;
}

// --help and --version: answered by a console application, so no display is needed.
int Answer(int argc, char** argv, zolt::ERunAction action) {
    QCoreApplication app(argc, argv);
    const std::string text =
        action == zolt::ERunAction::Help ? zolt::UsageText() : zolt::VersionText() + '\n';
    std::fputs(text.c_str(), stdout);
    return 0;
}

// A command line the program does not understand: the mistake, the usage, exit code 2.
int UsageError(const std::string& error) {
    std::fprintf(stderr, "zolt: %s\n%s", error.c_str(), zolt::UsageText().c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    zolt::PrepareNetworkPorts();
    QCoreApplication::setApplicationName(QStringLiteral("zolt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZOLT_VERSION));
    const zolt::SCommandLineResult early =
        zolt::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.m_eAction != zolt::ERunAction::Window) {
        return Answer(argc, argv, early.m_eAction);
    }
    if (!early.m_strError.empty() && !zolt::HasDisplay(argc, argv)) {
        // No Qt options to take off the line first: the mistake is what to report.
        QCoreApplication app(argc, argv);
        return UsageError(early.m_strError);
    }
    if (!zolt::PrepareDisplay(argc, argv)) {
        return 1;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(ZOLT_APP_ID));
    // Qt takes the locale from the environment; value texts are always written with a point.
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own options (-platform, -style ...) are gone from the arguments by now.
    const zolt::SCommandLineResult parsed =
        zolt::ParseCommandLine(ArgumentsAfterProgram(QApplication::arguments()));
    if (!parsed.m_strError.empty()) {
        return UsageError(parsed.m_strError);
    }
    return zolt::RunZolt(parsed.m_options);
}
