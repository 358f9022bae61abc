#include "link/Frame.h"

#include <cstring>

namespace zolt {

static_assert(offsetof(SFrameRecord, m_nSum) == kFrameArea);

const std::array<SCommandInfo, 33> kHostCommands{{
    // code, name, parameter rule, L, producer, answer
    {1, "volume", EParameterRule::Value, 4, EProducer::Sync, 0},
    {2, "mix level", EParameterRule::Value, 4, EProducer::Sync, 0},
    {3, "EQ band", EParameterRule::Value, 8, EProducer::Sync, 0},
    {4, "filter", EParameterRule::Value, 7, EProducer::Sync, 0},
    {5, "time", EParameterRule::Value, 5, EProducer::Sync, 0},
    {6, "mic byte", EParameterRule::Value, 5, EProducer::Sync, 0},
    {7, "limiter", EParameterRule::Value, 7, EProducer::Sync, 0},
    {8, "output byte", EParameterRule::Value, 5, EProducer::Sync, 0},
    {9, "system nibble", EParameterRule::Value, 5, EProducer::Sync, 0},
    {10, "noise gate", EParameterRule::Value, 7, EProducer::Sync, 0},
    {11, "mix polarity", EParameterRule::Value, 4, EProducer::Sync, 0},
    {12, "level poll", EParameterRule::Value, 3, EProducer::Sync, 12},
    {13, "system byte 8", EParameterRule::Value, 3, EProducer::Sync, 0},
    {17, "dynamic-EQ band", EParameterRule::Value, 13, EProducer::Sync, 0},
    {18, "exciter", EParameterRule::Value, 13, EProducer::Sync, 0},
    {19, "setting byte", EParameterRule::Value, 4, EProducer::Sync, 0},
    {20, "EQ bypass", EParameterRule::Value, 4, EProducer::Sync, 0},
    {24, "state poll", EParameterRule::Value, 3, EProducer::Sync, 24},
    {127, "probe", EParameterRule::Value, 3, EProducer::Queued, 127},
    {128, "read name", EParameterRule::Value, 3, EProducer::Queued, 128},
    {129, "read system block", EParameterRule::Value, 3, EProducer::Queued, 129},
    {130, "read mode", EParameterRule::Value, 3, EProducer::Queued, 130},
    {131, "write system block", EParameterRule::Value, 69, EProducer::Queued, 0},
    {132, "write mode", EParameterRule::Value, 2715, EProducer::Queued, 0},
    {133, "recall mode", EParameterRule::Value, 3, EProducer::Queued, 133},
    {134, "store mode", EParameterRule::Value, 23, EProducer::Queued, 0},
    {135, "link", EParameterRule::Value, 4, EProducer::Sync, 0},
    {137, "volume limit", EParameterRule::Value, 4, EProducer::Sync, 0},
    {138, "system byte 7", EParameterRule::Value, 3, EProducer::Sync, 0},
    {139, "system byte 14", EParameterRule::Value, 3, EProducer::Sync, 0},
    {140, "six-character code change", EParameterRule::FirstData, 14, EProducer::Queued, 0},
    {141, "four-character code change", EParameterRule::FirstData, 10, EProducer::Queued, 0},
    {142, "output mode", EParameterRule::Value, 3, EProducer::Sync, 0},
}};

const std::array<SReplyInfo, 7> kProcessorReplies{{
    {12, 14, false, "level values for the System page meters"},
    {24, 14, false, "state values for the System page meters"},
    {127, 4, true, "unlock state; starts the read-back"},
    {128, 23, false, "name of slot n"},
    {129, 68, false, "the system block"},
    {130, 2715, false, "mode image n"},
    {133, 2715, false, "the recalled mode, now the working image"},
}};

void ClearRecord(SFrameRecord& record) {
    std::memset(&record, 0, sizeof record);
}

void ClearFromCommand(SFrameRecord& record) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    std::memset(bytes + kCommandOffset, 0, sizeof record - kCommandOffset);
}

std::uint16_t FrameLength(const SFrameRecord& record) {
    return static_cast<std::uint16_t>(record.m_abFrame[2] | (record.m_abFrame[3] << 8));
}

std::uint8_t FrameSum(const std::uint8_t* frame, std::uint16_t length) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        sum = static_cast<std::uint8_t>(sum + frame[2 + i]);
    }
    return sum;
}

void FinaliseFrame(SFrameRecord& record, std::uint16_t length) {
    if (length < 3 || length > kMaxFrameLength) {
        return;
    }
    record.m_abFrame[2] = static_cast<std::uint8_t>(length & 0xFF);
    record.m_abFrame[3] = static_cast<std::uint8_t>(length >> 8);
    record.m_nSum = FrameSum(record.m_abFrame, length);
    record.m_abFrame[length + 3] = record.m_nSum;
}

bool VerifyFrame(const SFrameRecord& record) {
    const std::uint16_t length = FrameLength(record);
    if (length < 3 || length > kMaxFrameLength) {
        return false;
    }
    return FrameSum(record.m_abFrame, length) == record.m_nSum;
}

EFrameKind ClassifyFrame(const SFrameRecord& record, std::uint8_t lastSentCommand) {
    if (FrameLength(record) == 3 && FrameCommand(record) == lastSentCommand) {
        const std::uint8_t status = FrameParameter(record);
        return (status >= 1 && status <= 3) ? EFrameKind::AckRejected : EFrameKind::AckAccepted;
    }
    return EFrameKind::Reply;
}

const SCommandInfo* FindHostCommand(std::uint8_t code) {
    for (const SCommandInfo& info : kHostCommands) {
        if (info.m_nCode == code) {
            return &info;
        }
    }
    return nullptr;
}

} // namespace zolt
