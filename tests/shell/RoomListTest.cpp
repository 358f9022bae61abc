// The window with a venue: the room list in the top strip, choosing a room connects to it,
// and the top strip names the room.
#include "ShellFixture.h"

#include "controls/BitButton.h"
#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "shell/RoomList.h"

namespace zolt {
namespace {

constexpr int kProgramName = 3830;
constexpr int kConnectButton = 3831;

class RoomListTest : public SimShellTest {
protected:
    std::unique_ptr<CZoltDlg> OpenVenue() {
        // Room 1 plays mode 3, so the top strip shows its read-back, not the last room's.
        sim::SSimState third = sim::MakeFactoryState();
        third.m_abSystem[sysblock::kMode] = 3;
        third.m_abImage = third.m_aModes[3];
        m_first = &m_opener.Add("sim-1", {}, third);
        m_second = &m_opener.Add("sim-2");
        SVenue venue;
        venue.m_aRooms = {{"Room 1", "sim-1", 1}, {"Room 2", "sim-2", 4}};
        SZoltOptions options;
        options.m_screenSize = kLargeScreen;
        options.m_bNamedPortsOnly = true;
        options.m_pClock = &m_clock;
        options.m_pOpener = &m_opener;
        options.m_bStepped = true;
        options.m_venue = std::move(venue);
        auto dlg = std::make_unique<CZoltDlg>(std::move(options));
        dlg->show();
        return dlg;
    }

    static CRoomList& Rooms(CZoltDlg& dlg) {
        auto* rooms = dlg.Content().findChild<CRoomList*>();
        EXPECT_NE(rooms, nullptr);
        return *rooms;
    }
    static QString ProgramName(CZoltDlg& dlg) {
        return DlgItem<CFontStatic>(&dlg.Content(), kProgramName)->Text();
    }
    // The user picks the room below (or above) the one shown, with the keyboard.
    static void Pick(CZoltDlg& dlg, Qt::Key key) { QTest::keyClick(&Rooms(dlg), key); }
    bool OnLineWith(CZoltDlg& dlg, const QString& name) {
        return WaitUntil(
            [&] { return dlg.StartupSettled() && g_flags.m_bOnline && ProgramName(dlg) == name; },
            kTimeoutMs);
    }

    sim::CSimDevice* m_first = nullptr;
    sim::CSimDevice* m_second = nullptr;
};

TEST_F(RoomListTest, ChoosingARoomConnectsToItAndTheTopStripNamesIt) {
    auto dlg = OpenVenue();
    CRoomList& rooms = Rooms(*dlg);
    ASSERT_EQ(rooms.count(), 2);
    EXPECT_EQ(rooms.itemText(0), QStringLiteral("Room 1"));
    EXPECT_EQ(rooms.itemText(1), QStringLiteral("Room 2"));
    EXPECT_EQ(rooms.currentIndex(), -1);
    EXPECT_EQ(rooms.placeholderText(), QStringLiteral("Choose a room"));
    // Beside the connect button, in the top strip, clear of the program name.
    const QRect connect = DlgItem<CBitButton>(&dlg->Content(), kConnectButton)->geometry();
    const QRect name = DlgItem<CFontStatic>(&dlg->Content(), kProgramName)->geometry();
    EXPECT_LT(rooms.geometry().right(), name.left());
    EXPECT_LT(rooms.geometry().top(), connect.bottom());

    // No lookup until a room is chosen.
    EXPECT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    QTest::qWait(50);
    EXPECT_FALSE(g_flags.m_bOnline);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
    EXPECT_TRUE(m_first->Frames().empty());
    EXPECT_TRUE(m_second->Frames().empty());

    Pick(*dlg, Qt::Key_Down);
    Pick(*dlg, Qt::Key_Down);
    ASSERT_TRUE(OnLineWith(*dlg, QString::fromUtf8("Room 2 — 1:Sim mode 1")))
        << ProgramName(*dlg).toStdString();
    EXPECT_EQ(dlg->Connection().PortInUse(), "sim-2");
    EXPECT_FALSE(m_second->Frames().empty());

    // Another room: off line from the first, on line with the other.
    Pick(*dlg, Qt::Key_Up);
    ASSERT_TRUE(OnLineWith(*dlg, QString::fromUtf8("Room 1 — 3:Sim mode 3")));
    EXPECT_EQ(dlg->Connection().PortInUse(), "sim-1");
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('\n').toStdString();

    // The connect button disconnects, and connects to the room chosen again.
    QTest::mouseClick(DlgItem<CBitButton>(&dlg->Content(), kConnectButton), Qt::LeftButton);
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
    QTest::mouseClick(DlgItem<CBitButton>(&dlg->Content(), kConnectButton), Qt::LeftButton);
    ASSERT_TRUE(OnLineWith(*dlg, QString::fromUtf8("Room 1 — 3:Sim mode 3")));

    dlg->SetLanguage(1);
    EXPECT_EQ(rooms.placeholderText(), QString::fromUtf8("选择房间"));
    EXPECT_EQ(ProgramName(*dlg), QString::fromUtf8("Room 1 — 3:Sim mode 3"));
}

TEST_F(RoomListTest, WithoutAVenueTheWindowHasNoRoomList) {
    auto dlg = Connect();
    EXPECT_EQ(dlg->Content().findChild<CRoomList*>(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled() && g_flags.m_bOnline; }, kTimeoutMs));
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("1:Sim mode 1"));
}

} // namespace
} // namespace zolt
