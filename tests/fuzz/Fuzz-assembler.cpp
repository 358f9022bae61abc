// The receive side: bytes arrive in chunks of fuzzed sizes through the link's receive
// step and reach the assembler and the dispatch. The input is either raw bytes or a
// description of frames whose length and sum are fixed up, so the fuzzer gets past the
// checksum and into every reply.
#include "FuzzSupport.h"

#include "link/DeviceLink.h"
#include "model/Command.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zolt::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Hands out one chunk per read; a purge drops the rest of the chunk being read.
class CChunkPort final : public CTransport {
public:
    explicit CChunkPort(std::vector<Bytes> chunks) : m_aChunks(std::move(chunks)) {}

    SPortResult Write(const std::uint8_t*, std::size_t count) override {
        return {EPortStatus::Ok, count};
    }
    SPortResult BytesWaiting() override {
        return {EPortStatus::Ok, m_nNext < m_aChunks.size() ? m_aChunks[m_nNext].size() : 0};
    }
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override {
        if (m_nNext >= m_aChunks.size()) {
            return {EPortStatus::Ok, 0};
        }
        const Bytes& chunk = m_aChunks[m_nNext++];
        const std::size_t count = std::min(capacity, chunk.size());
        std::memcpy(buffer, chunk.data(), count);
        return {EPortStatus::Ok, count};
    }
    void Purge() override {}
    EPortEvent Wait(Milliseconds) override { return EPortEvent::Readable; }
    void RequestStop() override {}
    bool StopRequested() const override { return false; }
    bool Done() const { return m_nNext >= m_aChunks.size(); }

private:
    std::vector<Bytes> m_aChunks;
    std::size_t m_nNext = 0;
};

constexpr std::uint8_t kReplyCommands[] = {3, 12, 24, 127, 128, 129, 130, 133};

std::uint16_t LengthFor(std::uint8_t command, CInput& in) {
    switch (in.Byte() % 4) {
    case 0:
        for (const SReplyInfo& reply : kProcessorReplies) {
            if (reply.m_nCode == command) {
                return reply.m_nLength;
            }
        }
        return 3;
    case 1:
        return 3;
    case 2:
        return static_cast<std::uint16_t>(in.Word() % (kMaxFrameLength + 8));
    default:
        return 2715;
    }
}

// One frame described by the input: command, parameter, length rule, payload; the sum
// is right unless the input asks to corrupt it.
void AppendFrame(CInput& in, Bytes& stream) {
    const std::uint8_t pick = in.Byte();
    const std::uint8_t command = pick < 0xC0 ? kReplyCommands[pick % 8] : in.Byte();
    const std::uint8_t parameter = in.Byte();
    const std::uint16_t length = LengthFor(command, in);
    const bool corrupt = (in.Byte() & 0x0F) == 0;
    const std::size_t start = stream.size();
    stream.insert(stream.end(), {0xFF, 0x55, static_cast<std::uint8_t>(length & 0xFF),
                                 static_cast<std::uint8_t>(length >> 8), command, parameter});
    for (std::size_t i = 3; i < length; ++i) {
        stream.push_back(in.Empty() ? static_cast<std::uint8_t>(i) : in.Byte());
    }
    std::uint8_t sum = 0;
    for (std::size_t i = start + 2; i < stream.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + stream[i]);
    }
    stream.push_back(corrupt ? static_cast<std::uint8_t>(sum ^ 0x5A) : sum);
}

std::vector<Bytes> Chunks(const Bytes& stream, CInput& in) {
    std::vector<Bytes> chunks;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t size = std::min<std::size_t>(1 + in.Byte() * 16, stream.size() - at);
        chunks.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                            stream.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    }
    return chunks;
}

void PutInFlight(CDeviceLink& link, std::uint8_t command, std::uint8_t parameter,
                 std::uint8_t flags) {
    SFrameRecord& current = link.CurrentFrame();
    ClearRecord(current);
    current.m_abFrame[0] = kStartMark1;
    current.m_abFrame[1] = kStartMark2;
    current.m_abFrame[kCommandOffset] = command;
    current.m_abFrame[kParameterOffset] = parameter;
    FinaliseFrame(current, 3);
    current.m_bAwaiting = 1;
    current.m_bBulk = flags & 1;
    current.m_bStoreCompletion = (flags >> 1) & 1;
}

void Check(const CDeviceLink& link) {
    const SFrameRecord& r = link.ReceiveRecord();
    if (r.m_nWriteIndex > kFrameArea ||
        (r.m_bInFrame != 0 && r.m_bError == 0 && r.m_nWriteIndex > 4 &&
         r.m_nWriteIndex > r.m_nExpectedLength + 4u)) {
        __builtin_trap();
    }
}

} // namespace
} // namespace zolt::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolt;
    using namespace zolt::fuzz;
    static CQuietSink sink;
    SetNotifySink(&sink);
    ResetProcessData();
    CInput in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::uint8_t command = in.Byte();
    const std::uint8_t parameter = in.Byte();
    const std::uint8_t flags = in.Byte();
    g_flags.m_bConnected = (mode & 0x04) == 0;
    g_flags.m_bOnline = true;
    sink.m_bSystemPage = (mode & 0x08) != 0;

    Bytes stream;
    if ((mode & 0x01) != 0) {
        while (!in.Empty() && stream.size() < 20000) {
            if ((in.Byte() & 0x07) == 0) {
                stream.push_back(in.Byte()); // noise between frames
            }
            AppendFrame(in, stream);
        }
    } else {
        const std::size_t count = in.Left() / 2;
        stream.assign(in.Rest(), in.Rest() + count);
        in.Skip(count);
    }
    CVirtualClock clock;
    CDeviceLink link(clock);
    CChunkPort port(Chunks(stream, in));
    PutInFlight(link, command, parameter, flags);
    while (!port.Done()) {
        if ((mode & 0x02) != 0) {
            std::uint8_t buffer[4096];
            const SPortResult got = port.Read(buffer, sizeof buffer);
            link.Assemble(g_flags.m_bConnected, buffer, got.m_nCount);
        } else if (link.ReceiveStep(port) != ELinkEvent::None) {
            PutInFlight(link, command, parameter, flags);
        }
        Check(link);
    }
    return 0;
}
