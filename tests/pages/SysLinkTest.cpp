// The System page's flows through the real frame builder: what the processor would be sent.
#include "PageUser.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/EnglishEdit.h"
#include "link/DeviceLink.h"
#include "model/Command.h"
#include "pages/SysDlg.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace zolt {
namespace {

using namespace sysid;

// Sends the page's commands through a device link, as the main window does.
class CLinkPageApi : public CFakePageApi {
public:
    void SendCommand(int code, int parameter) override {
        CFakePageApi::SendCommand(code, parameter);
        m_link.SendCommand(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(parameter));
    }
    CDeviceLink m_link;
};

std::string FrameBytes(const CDeviceLink& link, std::size_t frame, std::size_t from,
                       std::size_t count) {
    const SFrameRecord& record = link.Queue().At(frame).Record();
    return std::string(reinterpret_cast<const char*>(record.m_abFrame + from), count);
}

class SysPageLink : public test::CPageUser<CSysDlg, CLinkPageApi> {
protected:
    void SetUp() override {
        ResetProcessData();
        std::memcpy(System() + sysblock::kSystemCode, "123456", 6);
        for (int mode = 1; mode <= 21; ++mode) {
            SetModeName(mode, "Mode " + std::to_string(mode));
        }
        System()[sysblock::kMode] = 3;
        g_flags.m_bOnline = true;
        g_flags.m_bUnlock = true;
        ShowPage();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pPage.get()));
        m_pPage->Refresh();
    }
    void TearDown() override { ResetProcessData(); }
    const CDeviceLink& Link() const { return m_api.m_link; }
};

TEST_F(SysPageLink, StoreTellsThePasswordBeforeTheNamedStore) {
    Item<CEnglishEdit>(kNameEdit)->selectAll();
    QTest::keyClicks(Item<CEnglishEdit>(kNameEdit), "Party");
    Click(kStoreButton);
    ASSERT_EQ(Link().Queue().Count(), 2u);
    EXPECT_EQ(FrameCommand(Link().Queue().At(0).Record()), 140);
    EXPECT_EQ(FrameBytes(Link(), 0, kParameterOffset, 12), "123456123456"); // current, "new"
    EXPECT_EQ(FrameCommand(Link().Queue().At(1).Record()), 134);
    EXPECT_EQ(FrameParameter(Link().Queue().At(1).Record()), 3);
    EXPECT_EQ(FrameBytes(Link(), 1, kPayloadOffset, kNameSize), "Party" + std::string(15, ' '));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(System() + sysblock::kSystemCode), 6),
              "123456"); // the store left the password as it was
    EXPECT_TRUE(g_flags.m_bStoreBusy);
    EXPECT_EQ(Item<CBitComboBox>(kModeCombo)->itemText(2), "3-Party"); // the list is rebuilt
}

TEST_F(SysPageLink, APasswordChangeReachesTheFrameAndTheDeviceCopy) {
    QTest::keyClicks(Item<CEnglishEdit>(kSystemOldEdit), "123456");
    QTest::keyClicks(Item<CEnglishEdit>(kSystemNewEdit), "654321");
    QTest::keyClicks(Item<CEnglishEdit>(kSystemConfirmEdit), "654321");
    Click(kSystemSendButton);
    ASSERT_EQ(Link().Queue().Count(), 1u);
    EXPECT_EQ(FrameBytes(Link(), 0, kParameterOffset, 12), "123456654321");
    EXPECT_EQ(DeviceCode(ECode::System), "654321");

    // The old password no longer opens the section; the new one does.
    QTest::keyClicks(Item<CEnglishEdit>(kSystemOldEdit), "123456");
    EXPECT_FALSE(Item<CEnglishEdit>(kSystemNewEdit)->isEnabled());
    Item<CEnglishEdit>(kSystemOldEdit)->clear();
    QTest::keyClicks(Item<CEnglishEdit>(kSystemOldEdit), "654321");
    EXPECT_TRUE(Item<CEnglishEdit>(kSystemNewEdit)->isEnabled());
}

TEST_F(SysPageLink, RecallQueuesTheSelectedModeAndMakesItCurrent) {
    Item<CBitComboBox>(kModeCombo)->setCurrentIndex(18);
    Click(kRecallButton);
    ASSERT_EQ(Link().Queue().Count(), 1u);
    EXPECT_EQ(FrameCommand(Link().Queue().At(0).Record()), 133);
    EXPECT_EQ(FrameParameter(Link().Queue().At(0).Record()), 19);
    EXPECT_EQ(System()[sysblock::kMode], 19);
    EXPECT_TRUE(g_flags.m_bStoreBusy);
}

} // namespace
} // namespace zolt
