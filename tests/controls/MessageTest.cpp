#include "ControlTestSupport.h"
#include "controls/MessageBox.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace zolt {
namespace {

using test::CMessageRecorder;
using test::Pump;

TEST(Message, PostArrivesLaterAndInOrder) {
    CMessageRecorder target;
    PostMessage(&target, WM_SLIDER_MOVING, 3820, 7);
    PostMessage(&target, WM_SLIDER_MOVED, 3820, -1);
    EXPECT_TRUE(target.m_aMessages.empty());
    Pump();
    ASSERT_EQ(target.m_aMessages.size(), 2u);
    EXPECT_EQ(target.m_aMessages[0].nMessage, WM_SLIDER_MOVING);
    EXPECT_EQ(target.m_aMessages[0].wParam, 3820u);
    EXPECT_EQ(target.m_aMessages[0].lParam, 7);
    EXPECT_EQ(target.m_aMessages[1].lParam, -1);
}

class CAnswering : public CMessageWidget {
protected:
    bool OnMessage(CMessageEvent& msg) override {
        msg.SetResult(msg.LParameter() * 2);
        return true;
    }
};

TEST(Message, SendIsHandledAtOnceAndReturnsTheAnswer) {
    CAnswering target;
    EXPECT_EQ(SendMessage(&target, WM_USER + 1, 0, 21), 42);
    EXPECT_EQ(SendMessage(nullptr, WM_USER + 1, 0, 21), 0);
}

TEST(Message, PostsFromAnotherThreadArriveInOrder) {
    CMessageRecorder target;
    constexpr int kCount = 200;
    std::thread poster([&target] {
        for (int i = 0; i < kCount; ++i) {
            PostMessage(&target, WM_USER + 0x74, 0, i);
        }
    });
    poster.join();
    Pump();
    ASSERT_EQ(target.m_aMessages.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(target.m_aMessages[static_cast<std::size_t>(i)].lParam, i);
    }
}

TEST(Message, PostToAWindowDestroyedBeforeDeliveryIsDropped) {
    auto pTarget = std::make_unique<CMessageRecorder>();
    PostMessage(pTarget.get(), WM_SLIDER_MOVED, 1, 2);
    pTarget.reset();
    Pump(); // must not reach freed memory
    PostMessage(nullptr, WM_SLIDER_MOVED, 1, 2);
    Pump();
}

TEST(MessageBox, AReplacedHandlerRecordsTheBoxAndAnswers) {
    std::vector<SMessageBox> aShown;
    {
        CScopedMessageBoxHandler recorder([&aShown](QWidget*, const SMessageBox& box) {
            aShown.push_back(box);
            return EMsgResult::No;
        });
        EXPECT_EQ(ShowMessageBox(nullptr, QStringLiteral("Unable to Open Device!"), {},
                                 EMsgButtons::YesNo),
                  EMsgResult::No);
    }
    ASSERT_EQ(aShown.size(), 1u);
    EXPECT_EQ(aShown[0].m_strText, QStringLiteral("Unable to Open Device!"));
    EXPECT_EQ(aShown[0].m_eButtons, EMsgButtons::YesNo);
    // The scope put the real boxes back.
    EXPECT_FALSE(static_cast<bool>(SetMessageBoxHandler({})));
}

} // namespace
} // namespace zolt
