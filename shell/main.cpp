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

} // namespace

int main(int argc, char** argv) {
    zolt::PrepareNetworkPorts();
    QCoreApplication::setApplicationName(QStringLiteral("zolt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZOLT_VERSION));
    const zolt::ERunAction early =
        zolt::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)).m_eAction;
    if (early != zolt::ERunAction::Window) {
        return Answer(argc, argv, early);
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
        std::fprintf(stderr, "zolt: %s\n%s", parsed.m_strError.c_str(), zolt::UsageText().c_str());
        return 2;
    }
    return zolt::RunZolt(parsed.m_options);
}
