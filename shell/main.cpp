// zolt: the desktop control program of the karaoke processor.
#include "shell/CommandLine.h"
#include "shell/Zolt.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) {
        std::fputs(zolt::UsageText(), stdout);
        return 0;
    }
    if (!zolt::PrepareDisplay(argc, argv)) {
        return 1;
    }
    QApplication app(argc, argv);
    // Qt takes the locale from the environment; value texts are always written with a point.
    std::setlocale(LC_NUMERIC, "C");
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        args.push_back(arg.toStdString());
    }
    const zolt::SCommandLineResult parsed = zolt::ParseCommandLine(args);
    if (!parsed.m_strError.empty()) {
        std::fprintf(stderr, "zolt: %s\n%s", parsed.m_strError.c_str(), zolt::UsageText());
        return 2;
    }
    return zolt::RunZolt(parsed.m_options);
}
