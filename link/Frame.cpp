#include "link/Frame.h"

#include "link/Command.h"

#include <cstring>

namespace zolt {

static_assert(offsetof(SFrameRecord, m_nSum) == kFrameArea);

const std::array<SCommandInfo, 33> kHostCommands{{
    // code, name, parameter rule, L, producer, answer
    {cmd::kVolume, "volume", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kMixLevel, "mix level", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kEqBand, "EQ band", EParameterRule::Value, 8, EProducer::Sync, 0},
    {cmd::kFilter, "filter", EParameterRule::Value, 7, EProducer::Sync, 0},
    {cmd::kTime, "time", EParameterRule::Value, 5, EProducer::Sync, 0},
    {cmd::kMicByte, "mic byte", EParameterRule::Value, 5, EProducer::Sync, 0},
    {cmd::kLimiter, "limiter", EParameterRule::Value, 7, EProducer::Sync, 0},
    {cmd::kOutputByte, "output byte", EParameterRule::Value, 5, EProducer::Sync, 0},
    {cmd::kSystemNibble, "system nibble", EParameterRule::Value, 5, EProducer::Sync, 0},
    {cmd::kNoiseGate, "noise gate", EParameterRule::Value, 7, EProducer::Sync, 0},
    {cmd::kMixPolarity, "mix polarity", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kLevelPoll, "level poll", EParameterRule::Value, 3, EProducer::Sync, cmd::kLevelPoll},
    {cmd::kInputSelect, "system byte 8", EParameterRule::Value, 3, EProducer::Sync, 0},
    {cmd::kDynamicBand, "dynamic-EQ band", EParameterRule::Value, 13, EProducer::Sync, 0},
    {cmd::kExciter, "exciter", EParameterRule::Value, 13, EProducer::Sync, 0},
    {cmd::kSettingByte, "setting byte", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kEqBypass, "EQ bypass", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kStatePoll, "state poll", EParameterRule::Value, 3, EProducer::Sync, cmd::kStatePoll},
    {cmd::kProbe, "probe", EParameterRule::Value, 3, EProducer::Queued, cmd::kProbe},
    {cmd::kReadName, "read name", EParameterRule::Value, 3, EProducer::Queued, cmd::kReadName},
    {cmd::kReadSystem, "read system block", EParameterRule::Value, 3, EProducer::Queued,
     cmd::kReadSystem},
    {cmd::kReadMode, "read mode", EParameterRule::Value, 3, EProducer::Queued, cmd::kReadMode},
    {cmd::kWriteSystem, "write system block", EParameterRule::Value, 69, EProducer::Queued, 0},
    {cmd::kWriteMode, "write mode", EParameterRule::Value, 2715, EProducer::Queued, 0},
    {cmd::kRecall, "recall mode", EParameterRule::Value, 3, EProducer::Queued, cmd::kRecall},
    {cmd::kStore, "store mode", EParameterRule::Value, 23, EProducer::Queued, 0},
    {cmd::kLink, "link", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kVolumeLimit, "volume limit", EParameterRule::Value, 4, EProducer::Sync, 0},
    {cmd::kPhantom, "system byte 7", EParameterRule::Value, 3, EProducer::Sync, 0},
    {cmd::kIrControl, "system byte 14", EParameterRule::Value, 3, EProducer::Sync, 0},
    {cmd::kSixCodeChange, "six-character code change", EParameterRule::FirstData, 14,
     EProducer::Queued, 0},
    {cmd::kFourCodeChange, "four-character code change", EParameterRule::FirstData, 10,
     EProducer::Queued, 0},
    {cmd::kOutputMode, "output mode", EParameterRule::Value, 3, EProducer::Sync, 0},
}};

const std::array<SReplyInfo, 7> kProcessorReplies{{
    {cmd::kLevelPoll, 14, false, "level values for the System page meters"},
    {cmd::kStatePoll, 14, false, "state values for the System page meters"},
    {cmd::kProbe, 4, true, "unlock state; starts the read-back"},
    {cmd::kReadName, 23, false, "name of slot n"},
    {cmd::kReadSystem, 68, false, "the system block"},
    {cmd::kReadMode, 2715, false, "mode image n"},
    {cmd::kRecall, 2715, false, "the recalled mode, now the working image"},
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
