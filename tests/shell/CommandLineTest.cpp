#include "shell/CommandLine.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(CommandLine, NoArgumentsIsTheDesktopRun) {
    const SCommandLineResult result = ParseCommandLine({});
    EXPECT_TRUE(result.m_strError.empty());
    EXPECT_TRUE(result.m_options.m_astrPorts.empty());
    EXPECT_FALSE(result.m_options.m_bSimulator);
    EXPECT_FALSE(result.m_options.m_onLanguage.has_value());
    EXPECT_TRUE(result.m_options.m_strCaptureDir.empty());
}

TEST(CommandLine, EveryOptionTogetherKeepsThePortOrder) {
    const SCommandLineResult result =
        ParseCommandLine({"--port", "/dev/ttyUSB1", "--simulator", "--port", "/tmp/pty", "--lang",
                          "zh", "--capture", "shots"});
    ASSERT_TRUE(result.m_strError.empty()) << result.m_strError;
    EXPECT_EQ(result.m_options.m_astrPorts, (std::vector<std::string>{"/dev/ttyUSB1", "/tmp/pty"}));
    EXPECT_TRUE(result.m_options.m_bSimulator);
    EXPECT_EQ(result.m_options.m_onLanguage, 1);
    EXPECT_EQ(result.m_options.m_strCaptureDir, "shots");
    EXPECT_EQ(ParseCommandLine({"--lang", "en"}).m_options.m_onLanguage, 0);
}

TEST(CommandLine, TheDesksKeysForNetworkRooms) {
    const SCommandLineResult result =
        ParseCommandLine({"--port", "tls://10.0.0.17:3001", "--ca", "venue-ca.crt", "--cert",
                          "desk.crt", "--key", "desk.key", "--insecure"});
    ASSERT_TRUE(result.m_strError.empty()) << result.m_strError;
    EXPECT_EQ(result.m_options.m_astrPorts, (std::vector<std::string>{"tls://10.0.0.17:3001"}));
    EXPECT_EQ(result.m_options.m_keys.m_strCa, "venue-ca.crt");
    EXPECT_EQ(result.m_options.m_keys.m_strCert, "desk.crt");
    EXPECT_EQ(result.m_options.m_keys.m_strKey, "desk.key");
    EXPECT_TRUE(result.m_options.m_keys.m_bInsecure);
    EXPECT_FALSE(ParseCommandLine({}).m_options.m_keys.m_bInsecure);
}

TEST(CommandLine, BadInputIsRefusedWithAReason) {
    EXPECT_NE(ParseCommandLine({"--lang", "fr"}).m_strError.find("fr"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--port"}).m_strError.find("--port"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--capture", ""}).m_strError.find("--capture"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--simulater"}).m_strError.find("--simulater"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"/dev/ttyUSB0"}).m_strError, "");
    EXPECT_NE(ParseCommandLine({"--port="}).m_strError.find("--port"), std::string::npos);
    // An option only Qt knows is named as it was written, not as a run of letters.
    const std::string qtOnly = ParseCommandLine({"-platform", "xcb"}).m_strError;
    EXPECT_NE(qtOnly.find("\"-platform\""), std::string::npos) << qtOnly;
}

TEST(CommandLine, ValuesMayFollowAnEqualsSign) {
    const SCommandLineResult result = ParseCommandLine({"--port=/dev/ttyACM0", "--lang=en"});
    ASSERT_TRUE(result.m_strError.empty()) << result.m_strError;
    EXPECT_EQ(result.m_options.m_astrPorts, (std::vector<std::string>{"/dev/ttyACM0"}));
    EXPECT_EQ(result.m_options.m_onLanguage, 0);
}

TEST(CommandLine, HelpAndVersionAnswerWhateverElseIsOnTheLine) {
    EXPECT_EQ(ParseCommandLine({"--help"}).m_eAction, ERunAction::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).m_eAction, ERunAction::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).m_eAction, ERunAction::Version);
    EXPECT_EQ(ParseCommandLine({"-v"}).m_eAction, ERunAction::Version);
    // Before the application exists Qt's own options are still on the line.
    const SCommandLineResult early = ParseCommandLine({"-platform", "offscreen", "--help"});
    EXPECT_EQ(early.m_eAction, ERunAction::Help);
    EXPECT_EQ(ParseCommandLine({"-reverse", "--simulator"}).m_eAction, ERunAction::Window);
    EXPECT_EQ(ParseCommandLine({"--simulator"}).m_eAction, ERunAction::Window);
}

TEST(CommandLine, TheUsageNamesEveryOption) {
    const std::string usage = UsageText();
    for (const char* option :
         {"--port <PATH>", "--simulator", "--lang <zh|en>", "--capture <DIR>", "--ca <FILE>",
          "--cert <FILE>", "--key <FILE>", "--insecure", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option << " missing from\n" << usage;
    }
}

} // namespace
} // namespace zolt
