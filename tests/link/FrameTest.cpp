#include "link/Frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace zolt {
namespace {

SFrameRecord Build(std::uint8_t command, std::uint8_t parameter,
                   const std::vector<std::uint8_t>& payload) {
    SFrameRecord record;
    ClearRecord(record);
    record.m_abFrame[0] = kStartMark1;
    record.m_abFrame[1] = kStartMark2;
    record.m_abFrame[kCommandOffset] = command;
    record.m_abFrame[kParameterOffset] = parameter;
    for (std::size_t i = 0; i < payload.size(); ++i) {
        record.m_abFrame[kPayloadOffset + i] = payload[i];
    }
    FinaliseFrame(record, static_cast<std::uint16_t>(3 + payload.size()));
    return record;
}

std::vector<std::uint8_t> Wire(const SFrameRecord& r) {
    return {r.m_abFrame, r.m_abFrame + FrameWireSize(r)};
}

TEST(Frame, ProbeAndSystemRequestBytes) {
    EXPECT_EQ(Wire(Build(0x7F, 0, {})), (std::vector<std::uint8_t>{
                                            0xFF, 0x55, // start marks
                                            0x03, 0x00, // L = 3
                                            0x7F,       // probe
                                            0x00,       // parameter
                                            0x82,       // sum: 03 + 00 + 7F + 00
                                        }));
    EXPECT_EQ(Wire(Build(0x81, 0, {})),
              (std::vector<std::uint8_t>{0xFF, 0x55, 0x03, 0x00, 0x81, 0x00, 0x84}));
}

TEST(Frame, WholeImageSumCoversBothLengthBytes) {
    std::vector<std::uint8_t> payload(2712, 0);
    payload[2711] = 0x01;
    const SFrameRecord r = Build(132, 0, payload);
    EXPECT_EQ(FrameLength(r), 2715);
    EXPECT_EQ(FrameWireSize(r), 2719u);
    // 0x9B + 0x0A + 0x84 + 0x00 + 0x01
    EXPECT_EQ(r.m_abFrame[2718], static_cast<std::uint8_t>(0x9B + 0x0A + 0x84 + 0x01));
    EXPECT_EQ(r.m_nSum, r.m_abFrame[2718]);
    EXPECT_TRUE(VerifyFrame(r));
}

TEST(Frame, VerifyRejectsAnyChangedByteAndImpossibleLengths) {
    SFrameRecord r = Build(3, 7, {0x10, 0x01, 120, 10, 1});
    ASSERT_TRUE(VerifyFrame(r));
    for (std::size_t i = 2; i < FrameWireSize(r) - 1; ++i) {
        SFrameRecord bad = r;
        bad.m_abFrame[i] ^= 0x20;
        EXPECT_FALSE(VerifyFrame(bad)) << "byte " << i;
    }
    SFrameRecord huge = r;
    huge.m_abFrame[2] = 0xFF;
    huge.m_abFrame[3] = 0xFF;
    EXPECT_FALSE(VerifyFrame(huge));
}

TEST(Frame, ClassifiesAcknowledgementsAndReplies) {
    EXPECT_EQ(ClassifyFrame(Build(0x7F, 0, {}), 0x7F), EFrameKind::AckAccepted)
        << "an L = 3 probe answer is an acknowledgement";
    EXPECT_EQ(ClassifyFrame(Build(0x7F, 0, {1}), 0x7F), EFrameKind::Reply);
    EXPECT_EQ(ClassifyFrame(Build(3, 0, {}), 2), EFrameKind::Reply)
        << "another command byte is a reply";
    for (int status : {1, 2, 3}) {
        EXPECT_EQ(ClassifyFrame(Build(3, status, {}), 3), EFrameKind::AckRejected) << status;
    }
    for (int status : {0, 4, 128, 255}) {
        EXPECT_EQ(ClassifyFrame(Build(3, status, {}), 3), EFrameKind::AckAccepted) << status;
    }
}

TEST(Frame, ClearFromCommandKeepsStartMarkAndLength) {
    SFrameRecord r = Build(3, 1, {1, 2, 3, 4, 5});
    r.m_bAwaiting = 1;
    r.m_bBulk = 1;
    r.m_nIdle = 4;
    ClearFromCommand(r);
    EXPECT_EQ(r.m_abFrame[0], 0xFF);
    EXPECT_EQ(r.m_abFrame[1], 0x55);
    EXPECT_EQ(FrameLength(r), 8);
    EXPECT_EQ(r.m_abFrame[4], 0);
    EXPECT_EQ(r.m_bAwaiting, 0);
    EXPECT_EQ(r.m_bBulk, 0);
    EXPECT_EQ(r.m_nIdle, 0);
}

TEST(Frame, CommandTableMatchesPayloadSizes) {
    for (const SCommandInfo& c : kHostCommands) {
        EXPECT_GE(c.m_nLength, 3) << c.m_pszName;
        EXPECT_EQ(FindHostCommand(c.m_nCode), &c);
    }
    EXPECT_EQ(FindHostCommand(132)->m_nLength, 2715);
    EXPECT_EQ(FindHostCommand(140)->m_eParameter, EParameterRule::FirstData);
    EXPECT_EQ(FindHostCommand(136), nullptr);
    EXPECT_EQ(FindHostCommand(0), nullptr);
}

} // namespace
} // namespace zolt
