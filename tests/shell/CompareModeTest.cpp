// The settings now compared with a stored mode the program has not read: the window asks the
// processor for that mode and lists what differs once it has arrived.
#include "ShellFixture.h"

#include "model/Layout.h"
#include "pages/CompareCommands.h"

namespace zolt {
namespace {

// Music Right's limiter level.
constexpr std::size_t kLimit = 553;

class CompareModeTest : public SimShellTest {};

TEST_F(CompareModeTest, AStoredModeNotHeldIsReadFromTheProcessorThenCompared) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_aModes[3] = state.m_abImage;
    state.m_aModes[3][kLimit] = static_cast<std::uint8_t>(state.m_abImage[kLimit] ^ 1);
    auto dlg = Connect({}, std::move(state));
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    ASSERT_EQ(g_data.m_store.m_bValid, 0) << "the modes are not held after a read-back";
    m_boxes.clear();

    dlg->Compare().CompareWithMode(3);
    EXPECT_TRUE(m_boxes.isEmpty()) << "nothing to say before the mode has arrived";
    ASSERT_TRUE(WaitUntil([&] { return !m_boxes.isEmpty(); }, kTimeoutMs));
    EXPECT_TRUE(m_boxes.back().startsWith(
        QStringLiteral("Settings that differ from mode 3: 1 (now -> mode 3)")))
        << m_boxes.back().toStdString();
    ASSERT_EQ(m_boxes.size(), 1);

    // Off line there is no mode to compare with: nothing is said.
    dlg->Session().Disconnect();
    ASSERT_TRUE(WaitUntil([] { return !g_flags.m_bOnline; }, kTimeoutMs));
    m_boxes.clear();
    dlg->Compare().CompareWithMode(4);
    for (int pass = 0; pass < 50; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
}

} // namespace
} // namespace zolt
