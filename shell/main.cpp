// zolt: the desktop control program of the karaoke processor.
#include "shell/CommandLine.h"
#include "shell/Zolt.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (!zolt::PrepareDisplay(argc, argv)) {
        return 1;
    }
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        args.push_back(arg.toStdString());
    }
    const zolt::SCommandLineResult parsed = zolt::ParseCommandLine(args);
    if (!parsed.m_strError.empty()) {
        std::fprintf(stderr, "zolt: %s\n%s", parsed.m_strError.c_str(), zolt::UsageText());
        return 2;
    }
    if (parsed.m_options.m_bHelp) {
        std::fputs(zolt::UsageText(), stdout);
        return 0;
    }
    return zolt::RunZolt(parsed.m_options);
}
