#include "shell/CommandLine.h"

namespace zolt {

const char* UsageText() {
    return "usage: zolt [--port PATH]... [--simulator] [--lang zh|en] [--capture DIR]\n"
           "  --port PATH    try this serial device first (may be repeated)\n"
           "  --simulator    start a simulated processor and connect to it first\n"
           "  --lang zh|en   show Chinese or English captions instead of the locale's choice\n"
           "  --capture DIR  after start-up save every page in both languages as PNG files\n"
           "                 into DIR, then exit\n";
}

SCommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
    SCommandLineResult result;
    SCommandLine& options = result.m_options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--simulator") {
            options.m_bSimulator = true;
        } else if (arg == "--port" || arg == "--lang" || arg == "--capture") {
            if (!hasValue || args[i + 1].empty()) {
                result.m_strError = arg + " needs a value";
                return result;
            }
            const std::string& value = args[++i];
            if (arg == "--port") {
                options.m_astrPorts.push_back(value);
            } else if (arg == "--capture") {
                options.m_strCaptureDir = value;
            } else if (value == "zh" || value == "en") {
                options.m_onLanguage = value == "zh" ? 1 : 0;
            } else {
                result.m_strError = "--lang takes zh or en, not \"" + value + "\"";
                return result;
            }
        } else {
            result.m_strError = "unknown argument \"" + arg + "\"";
            return result;
        }
    }
    return result;
}

} // namespace zolt
