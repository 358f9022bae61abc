// The frame format: FF 55, a u16 length L, command, parameter, payload, an 8-bit sum
// over the length bytes through the payload; the frame record that holds one frame with
// its bookkeeping; and the command tables of both directions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zolt {

constexpr std::size_t kFrameArea = 4206;                  // bytes a frame record can hold
constexpr std::uint16_t kMaxFrameLength = kFrameArea - 4; // largest L that fits: 4202
constexpr std::uint8_t kStartMark1 = 0xFF;
constexpr std::uint8_t kStartMark2 = 0x55;
constexpr std::size_t kCommandOffset = 4;
constexpr std::size_t kParameterOffset = 5;
constexpr std::size_t kPayloadOffset = 6;

// A frame with its bookkeeping. The current frame, the receive record and every queued
// CSendData use this one layout; the fields after the frame bytes are in their wire order
// of clearing: "clear from the command byte on" zeroes everything from m_abFrame[4].
struct SFrameRecord {
    std::uint8_t m_abFrame[kFrameArea];
    std::uint8_t m_nSum;             // the frame sum, set by finalise and by the assembler
    std::uint8_t m_bInFrame;         // receive: a start mark has been accepted
    std::uint8_t m_bError;           // receive: bad sum or rejected
    std::uint8_t m_bAwaiting;        // current: written, answer not yet accepted
    std::uint8_t m_bStoreCompletion; // current: its answer clears the store-busy flag
    std::uint8_t m_bSettle;          // current: pause 3000 ms after writing
    std::uint8_t m_nRetry;           // receive: resends of the frame in flight
    std::uint8_t m_bProbe;           // current: the frame is the probe
    std::uint8_t m_nProgressStep;    // current: 0, or the progress step 1..n once written
    std::uint16_t m_nWriteIndex;     // receive: next free position in m_abFrame
    std::uint16_t m_nExpectedLength; // receive: L from frame bytes 2 and 3
    std::uint8_t m_bBulk;            // current: pause 1000 ms after writing, wait 2000 ms
    std::uint8_t m_nIdle;            // receive: empty polls while an answer is awaited
};

// Zeroes the whole record.
void ClearRecord(SFrameRecord& record);
// Zeroes the record from frame byte 4 (the command byte) on: the start mark and the
// length stay, every flag and counter goes.
void ClearFromCommand(SFrameRecord& record);

// L as held in frame bytes 2 and 3.
std::uint16_t FrameLength(const SFrameRecord& record);
inline std::uint8_t FrameCommand(const SFrameRecord& r) {
    return r.m_abFrame[kCommandOffset];
}
inline std::uint8_t FrameParameter(const SFrameRecord& r) {
    return r.m_abFrame[kParameterOffset];
}
// Bytes on the wire: L + 4.
inline std::size_t FrameWireSize(const SFrameRecord& r) {
    return FrameLength(r) + 4u;
}

// Sum of frame bytes 2 .. L+2 of a frame whose length field holds L (L <= 4202).
std::uint8_t FrameSum(const std::uint8_t* frame, std::uint16_t length);

// Writes L (3..4202) into the length field, then the sum at L+3 and into m_nSum.
// Bytes 0..L+2 must be filled. Any thread; the caller owns the record.
void FinaliseFrame(SFrameRecord& record, std::uint16_t length);

// True when the sum of the assembled frame equals the received sum (m_nSum).
bool VerifyFrame(const SFrameRecord& record);

enum class EFrameKind { AckAccepted, AckRejected, Reply };

// Classifies a verified frame against the command byte of the frame last sent:
// L = 3 with that command byte is an acknowledgement, status 1..3 rejected, others
// accepted; anything else is a reply.
EFrameKind ClassifyFrame(const SFrameRecord& record, std::uint8_t lastSentCommand);

// Host-to-processor commands: how each one is produced and what it carries.
enum class EProducer { Sync, Queued };
enum class EParameterRule {
    Value,     // the parameter byte carries an index or value
    FirstData, // no parameter: the data starts at offset 5 (codes 140, 141)
};

struct SCommandInfo {
    std::uint8_t m_nCode;
    const char* m_pszName;
    EParameterRule m_eParameter;
    std::uint16_t m_nLength; // L
    EProducer m_eProducer;
    std::uint8_t m_nAnswer; // 0 = acknowledgement, else the reply's command byte
};

extern const std::array<SCommandInfo, 33> kHostCommands;

// Processor-to-host replies: command byte, the L the program relies on, meaning.
struct SReplyInfo {
    std::uint8_t m_nCode;
    std::uint16_t m_nLength; // the exact L, or for 127 the least L (a reply needs L >= 4)
    bool m_bMinimum;
    const char* m_pszMeaning;
};

extern const std::array<SReplyInfo, 7> kProcessorReplies;

// The host command of a code, or nullptr when the program never sends it.
const SCommandInfo* FindHostCommand(std::uint8_t code);

} // namespace zolt
