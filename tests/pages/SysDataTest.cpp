#include "pages/SysData.h"
#include "FakePageApi.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zolt {
namespace {

using Commands = std::vector<std::pair<int, int>>;

void PutText(std::uint8_t* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
}

std::string Bytes(const std::uint8_t* at, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(at), count);
}

class SysData : public testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        PutText(System() + sysblock::kSystemCode, "123456");
        PutText(System() + sysblock::kPanelCode, "9876");
        for (int mode = 1; mode <= 21; ++mode) {
            SetModeName(mode, "Mode " + std::to_string(mode));
        }
        SetModeName(0, "Working");
        System()[sysblock::kMode] = 3;
    }
    static void GoOnline(bool unlock) {
        g_flags.m_bOnline = true;
        g_flags.m_bUnlock = unlock;
    }
    CFakePageApi m_api;
};

TEST_F(SysData, EntriesNumberUserModesAndPrefixFactoryModesWithF) {
    EXPECT_EQ(ModeEntryText(1, "Pop"), "1-Pop");
    EXPECT_EQ(ModeEntryText(16, ""), "16-");
    EXPECT_EQ(ModeEntryText(17, "Hall"), "F1-Hall");
    EXPECT_EQ(ModeEntryText(21, "x"), "F5-x");
}

TEST_F(SysData, OnlineWithPermissionListsNamesAndOpensStoring) {
    GoOnline(true);
    const SModeView view = BuildModeView();
    EXPECT_EQ(view.m_astrEntries[0], "1-Mode 1");
    EXPECT_EQ(view.m_astrEntries[16], "F1-Mode 17");
    EXPECT_EQ(view.m_nSelected, 2);
    EXPECT_EQ(view.m_strName, "Mode 3");
    EXPECT_TRUE(view.m_bNameEdit && view.m_bStore && view.m_bRecall);
    EXPECT_TRUE(view.m_bImport && view.m_bImportAll && view.m_bExportAll);
    EXPECT_FALSE(view.m_bVerifyEdit);
    EXPECT_TRUE(view.m_bStoreAllowed);

    System()[sysblock::kMode] = 17; // a factory mode: recall only
    const SModeView factory = BuildModeView();
    EXPECT_EQ(factory.m_nSelected, 16);
    EXPECT_FALSE(factory.m_bNameEdit || factory.m_bStore);
    EXPECT_TRUE(factory.m_bRecall);
    EXPECT_FALSE(MayStoreMode(17));
    EXPECT_TRUE(MayStoreMode(16));
}

TEST_F(SysData, OnlineWithoutPermissionOffersOnlyVerification) {
    GoOnline(false);
    const SModeView view = BuildModeView();
    EXPECT_FALSE(view.m_bNameEdit || view.m_bStore || view.m_bImport || view.m_bImportAll);
    EXPECT_TRUE(view.m_bRecall && view.m_bExportAll && view.m_bVerifyEdit);
    EXPECT_FALSE(view.m_bStoreAllowed);
    EXPECT_FALSE(MayStoreMode(3));
}

TEST_F(SysData, OfflineWithoutAStoreShowsBareNumbersAndTheWorkingName) {
    g_flags.m_bUnlock = true; // a permission from an earlier session shows nothing offline
    SModeView view = BuildModeView();
    EXPECT_EQ(view.m_astrEntries[4], "5-");
    EXPECT_EQ(view.m_astrEntries[20], "F5-");
    EXPECT_EQ(view.m_strName, "Working");
    EXPECT_FALSE(view.m_bRecall || view.m_bExportAll || view.m_bNameEdit || view.m_bStore);
    EXPECT_FALSE(view.m_bVerifyEdit || view.m_bStoreAllowed);
    EXPECT_TRUE(view.m_bImport && view.m_bImportAll);

    g_data.m_store.m_bValid = 1;
    view = BuildModeView();
    EXPECT_EQ(view.m_astrEntries[4], "5-Mode 5");
    EXPECT_EQ(view.m_strName, "Mode 3");
    EXPECT_TRUE(view.m_bRecall && view.m_bExportAll);
    EXPECT_FALSE(view.m_bStore);
}

TEST_F(SysData, ModeZeroAndModesBeyondTheListSelectNoStoredSlot) {
    System()[sysblock::kMode] = 0;
    EXPECT_EQ(BuildModeView().m_nSelected, -1); // offline: nothing selected
    GoOnline(true);
    EXPECT_EQ(BuildModeView().m_nSelected, 0); // online 0 reads as mode 1
    EXPECT_EQ(BuildModeView().m_strName, "Mode 1");

    System()[sysblock::kMode] = 200;
    const SModeView view = BuildModeView();
    EXPECT_EQ(view.m_nSelected, -1);
    EXPECT_EQ(view.m_strName, "Working");
    EXPECT_FALSE(view.m_bStore);
    EXPECT_EQ(SlotName(0), "");
    EXPECT_EQ(SlotName(22), "");
}

TEST_F(SysData, ConfirmSendsTheDevicesOwnPasswordAndUnlocksOnlyOnline) {
    PutText(System() + sysblock::kSystemCode, " 1234 ");
    EXPECT_FALSE(VerificationMatches(" 1234 "));
    EXPECT_FALSE(VerificationMatches("9876")); // the panel password is not the one
    EXPECT_FALSE(ConfirmVerification(m_api, "1235"));
    EXPECT_TRUE(m_api.m_aCommands.empty());

    EXPECT_TRUE(ConfirmVerification(m_api, "1234")); // offline: sent, no permission
    EXPECT_FALSE(g_flags.m_bUnlock);
    GoOnline(false);
    EXPECT_TRUE(ConfirmVerification(m_api, "1234"));
    EXPECT_TRUE(g_flags.m_bUnlock);
    EXPECT_EQ(m_api.m_aCommands, (Commands{{140, 0}, {140, 0}}));
    // The blanks the device holds go back unchanged, so the password stays the same.
    EXPECT_EQ(Bytes(Slot(0) + slot0::kNewSixCode, 6), " 1234 ");
}

TEST_F(SysData, PasswordSectionOpensStepByStep) {
    const SCodeSection offline = EvaluateCodeSection(ECode::System, "123456", "654321", "654321");
    EXPECT_FALSE(offline.m_bOld || offline.m_bNew || offline.m_bConfirm || offline.m_bSend);

    GoOnline(false);
    SCodeSection s = EvaluateCodeSection(ECode::System, "12345", "", "");
    EXPECT_TRUE(s.m_bOld);
    EXPECT_FALSE(s.m_bNew);
    s = EvaluateCodeSection(ECode::System, "123456", "65432", "65432");
    EXPECT_TRUE(s.m_bNew);
    EXPECT_FALSE(s.m_bConfirm); // five digits never open the confirmation
    EXPECT_FALSE(s.m_bSend);
    s = EvaluateCodeSection(ECode::System, "123456", "654321", "654320");
    EXPECT_TRUE(s.m_bConfirm);
    EXPECT_FALSE(s.m_bSend);
    s = EvaluateCodeSection(ECode::System, "123456", "654321", "654321");
    EXPECT_TRUE(s.m_bSend);
    // Spoiling the old password afterwards closes every later step.
    s = EvaluateCodeSection(ECode::System, "123450", "654321", "654321");
    EXPECT_FALSE(s.m_bNew || s.m_bConfirm || s.m_bSend);

    s = EvaluateCodeSection(ECode::Panel, "9876", "1111", "1111");
    EXPECT_TRUE(s.m_bSend);
    EXPECT_FALSE(EvaluateCodeSection(ECode::Panel, "9876", "11111", "11111").m_bConfirm);
}

TEST_F(SysData, PasswordChangeFillsOnlyItsExchangeField) {
    GoOnline(false);
    std::uint8_t before[kImageSize];
    std::memcpy(before, Slot(0), kImageSize);

    EXPECT_FALSE(SendCodeChange(m_api, ECode::System, "123456", "654321", "654320"));
    EXPECT_TRUE(m_api.m_aCommands.empty());
    EXPECT_EQ(std::memcmp(before, Slot(0), kImageSize), 0);

    EXPECT_TRUE(SendCodeChange(m_api, ECode::System, "123456", "654321", "654321"));
    EXPECT_TRUE(SendCodeChange(m_api, ECode::Panel, "9876", "1357", "1357"));
    EXPECT_EQ(m_api.m_aCommands, (Commands{{140, 0}, {141, 0}}));
    PutText(before + slot0::kNewSixCode, "654321");
    PutText(before + slot0::kNewFourCode, "1357");
    EXPECT_EQ(std::memcmp(before, Slot(0), kImageSize), 0);
}

TEST_F(SysData, StoringOfflineOrAFactoryModeChangesNothing) {
    const SDeviceData before = g_data;
    g_flags.m_bUnlock = true;
    EXPECT_FALSE(StoreMode(m_api, 7, "Party")); // offline
    GoOnline(true);
    EXPECT_FALSE(StoreMode(m_api, 17, "Party"));
    GoOnline(false);
    EXPECT_FALSE(StoreMode(m_api, 7, "Party")); // no permission
    EXPECT_TRUE(m_api.m_aCommands.empty());
    EXPECT_EQ(std::memcmp(&before, &g_data, sizeof g_data), 0);
}

} // namespace
} // namespace zolt
