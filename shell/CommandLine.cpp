#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace zolt {

namespace {

const QCommandLineOption kHelp({"h", "help"}, "Print these options and exit.");
const QCommandLineOption kVersion({"v", "version"}, "Print the version and exit.");
const QCommandLineOption kPort("port", "Try this serial device first (may be repeated).", "PATH");
const QCommandLineOption kSimulator("simulator",
                                    "Start a simulated processor and connect to it first.");
const QCommandLineOption
    kLang("lang", "Show Chinese or English captions instead of the locale's choice.", "zh|en");
const QCommandLineOption
    kVenue("venue", "Offer the rooms of this venue file beside the connect button.", "FILE");
const QCommandLineOption kCapture("capture",
                                  "After start-up save every page in both languages as PNG "
                                  "files into DIR, then exit.",
                                  "DIR");

const QCommandLineOption kCa("ca", "Network rooms: the venue CA's certificate.", "FILE");
const QCommandLineOption kCert("cert", "Network rooms: this desk's certificate.", "FILE");
const QCommandLineOption kKey("key", "Network rooms: this desk's private key.", "FILE");
const QCommandLineOption kInsecure("insecure", "Allow tcp:// ports: no encryption, no "
                                               "authentication (a trusted cable only).");

void DefineOptions(QCommandLineParser& parser) {
    // A single dash word such as -platform is one (unknown) option, never -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        "Control program of a karaoke room's digital audio processor.");
    parser.addOptions({kHelp, kVersion, kPort, kSimulator, kLang, kVenue, kCapture});
    parser.addOptions({kCa, kCert, kKey, kInsecure});
}

// The first thing on the line the program does not understand, as the user wrote it.
std::string FirstError(const QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        for (const QString& arg : arguments) {
            if (arg.startsWith('-') &&
                arg.section('=', 0, 0).remove(QRegularExpression("^-+")) == name) {
                return "unknown argument \"" + arg.toStdString() + "\"";
            }
        }
    }
    if (!parser.positionalArguments().isEmpty()) {
        return "unknown argument \"" + parser.positionalArguments().first().toStdString() + "\"";
    }
    return parser.errorText().toStdString();
}

std::string ReadValues(const QCommandLineParser& parser, SCommandLine& options) {
    for (const QString& port : parser.values(kPort)) {
        if (port.isEmpty()) {
            return "--port needs a value";
        }
        options.m_astrPorts.push_back(port.toStdString());
    }
    options.m_bSimulator = parser.isSet(kSimulator);
    options.m_keys = {parser.value(kCa).toStdString(), parser.value(kCert).toStdString(),
                      parser.value(kKey).toStdString(), parser.isSet(kInsecure)};
    if (parser.isSet(kVenue)) {
        options.m_strVenue = parser.value(kVenue).toStdString();
        if (options.m_strVenue.empty()) {
            return "--venue needs a value";
        }
    }
    if (parser.isSet(kCapture)) {
        options.m_strCaptureDir = parser.value(kCapture).toStdString();
        if (options.m_strCaptureDir.empty()) {
            return "--capture needs a value";
        }
    }
    if (parser.isSet(kLang)) {
        const QString language = parser.value(kLang);
        if (language != "zh" && language != "en") {
            return "--lang takes zh or en, not \"" + language.toStdString() + "\"";
        }
        options.m_onLanguage = language == "zh" ? 1 : 0;
    }
    return {};
}

} // namespace

SCommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
    QStringList arguments{QStringLiteral("zolt")};
    for (const std::string& arg : args) {
        arguments.push_back(QString::fromStdString(arg));
    }
    QCommandLineParser parser;
    DefineOptions(parser);
    const bool understood = parser.parse(arguments);

    SCommandLineResult result;
    if (parser.isSet(kHelp)) {
        result.m_eAction = ERunAction::Help;
    } else if (parser.isSet(kVersion)) {
        result.m_eAction = ERunAction::Version;
    } else if (!understood || !parser.positionalArguments().isEmpty()) {
        result.m_strError = FirstError(parser, arguments);
    } else {
        result.m_strError = ReadValues(parser, result.m_options);
    }
    return result;
}

std::string UsageText() {
    QCommandLineParser parser;
    DefineOptions(parser);
    return parser.helpText().toStdString();
}

std::string VersionText() {
    return (QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion())
        .toStdString();
}

} // namespace zolt
