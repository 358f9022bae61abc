// The summary a confirmation shows before presets are replaced: how many settings in how
// many modes, the passwords, and the first lines.
#include "link/PresetCompare.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zolt {
namespace {

SPresetFile AllModes() {
    SPresetFile file;
    file.m_bAllModes = true;
    file.m_abBytes.assign(kAllModesFileSize, 0);
    return file;
}

std::uint8_t* ImageOf(SPresetFile& file, int mode) {
    return const_cast<std::uint8_t*>(file.ImageOf(mode));
}

TEST(ChangeSummary, CountsSettingsModesAndPasswordsAndListsTheFirstLines) {
    const SPresetFile before = AllModes();
    SPresetFile after = before;
    EXPECT_EQ(SummarizeChanges(before, after, 5, 0).Headline(true, 0),
              "Import all changes nothing");
    EXPECT_EQ(SummarizeChanges(before, after, 5, 1).Headline(true, 1), "全部导入不改变任何设置");

    ImageOf(after, 3)[image::kEchoA + effect::kRepeat] = 45;
    EXPECT_EQ(SummarizeChanges(before, after, 5, 0).Headline(true, 0),
              "Import all will change 1 setting in 1 mode");
    ImageOf(after, 3)[image::kName] = 'X';
    ImageOf(after, 14)[image::kName] = 'Y';
    std::memcpy(after.m_abBytes.data() + sysblock::kSystemCode, "654321", 6);
    SChangeSummary summary = SummarizeChanges(before, after, 2, 0);
    EXPECT_EQ(summary.m_nSettings, 4u);
    EXPECT_EQ(summary.m_nModes, 2u);
    EXPECT_TRUE(summary.m_bSystemPassword);
    EXPECT_FALSE(summary.m_bPanelPassword);
    EXPECT_EQ(summary.Headline(true, 0),
              "Import all will change 4 settings in 2 modes and the system password");
    EXPECT_EQ(summary.Headline(true, 1), "全部导入将改变 2 个模式中的 4 项设置以及系统密码");
    ASSERT_EQ(summary.m_astrLines.size(), 2u); // the first two of four, block by block
    EXPECT_EQ(summary.m_astrLines[0], "system: System password:  -> 654321");
    EXPECT_EQ(summary.m_astrLines[1].rfind("mode 3: Mode name: ", 0), 0u) << summary.m_astrLines[1];

    std::memcpy(after.m_abBytes.data() + sysblock::kPanelCode, "9999", 4);
    summary = SummarizeChanges(before, after, 0, 1);
    EXPECT_TRUE(summary.m_astrLines.empty());
    EXPECT_EQ(summary.Headline(true, 0),
              "Import all will change 5 settings in 2 modes and both passwords");
    EXPECT_EQ(summary.Headline(true, 1), "全部导入将改变 2 个模式中的 5 项设置以及两个密码");
}

TEST(ChangeSummary, OneModeSaysTheEditedMode) {
    SPresetFile before;
    before.m_abBytes.assign(kOneModeFileSize, 0);
    SPresetFile after = before;
    EXPECT_EQ(SummarizeChanges(before, after, 5, 0).Headline(false, 0), "Import changes nothing");
    ImageOf(after, 0)[image::kEchoA + effect::kRepeat] = 45;
    ImageOf(after, 0)[image::kEchoB + effect::kRepeat] = 45;
    std::memcpy(after.m_abBytes.data() + sysblock::kPanelCode, "9999", 4);
    const SChangeSummary summary = SummarizeChanges(before, after, 5, 1);
    EXPECT_EQ(summary.m_nModes, 1u);
    EXPECT_EQ(summary.Headline(false, 0),
              "Import will change 3 settings of the edited mode and the panel password");
    EXPECT_EQ(summary.Headline(false, 1), "导入将改变当前编辑模式的 3 项设置以及面板密码");
    ASSERT_EQ(summary.m_astrLines.size(), 3u);
    EXPECT_EQ(summary.m_astrLines[1].rfind("当前模式: ", 0), 0u) << summary.m_astrLines[1];
}

} // namespace
} // namespace zolt
