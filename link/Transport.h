// The byte transport under the link: the serial port implements it, tests implement it
// with a scripted processor. Only the comm thread calls it (the link cycle in
// DeviceLink.h runs there); an implementation serialises its own port calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolt {

// Outcome of one port call.
enum class EPortStatus {
    Ok,
    // The device is gone or refuses the handle (access denied, invalid handle, bad
    // command; on POSIX: POLLHUP/POLLERR, EIO, a 0-byte read on a readable port). The
    // link answers with a resend or a port failure.
    InvalidHandle,
    // Any other failure of the call. A failed write ends the link; a failed read or
    // query counts as nothing read.
    Failed,
};

struct SPortResult {
    EPortStatus m_eStatus = EPortStatus::Ok;
    std::size_t m_nCount = 0; // bytes written, waiting or read
};

class CTransport {
public:
    virtual ~CTransport() = default;

    // Writes count bytes (a whole frame, at most 4206) and returns when they are written
    // or the write has failed. A write that started but whose completion could not be
    // confirmed counts as written (Ok); the port reports that itself and drops what it
    // still holds. Received bytes stay: an answer may arrive before the call returns.
    virtual SPortResult Write(const std::uint8_t* bytes, std::size_t count) = 0;

    // Number of received bytes waiting in the port's input queue, without reading them.
    virtual SPortResult BytesWaiting() = 0;

    // Reads up to capacity waiting bytes into buffer without blocking; m_nCount is the
    // number read (0 when nothing waits).
    virtual SPortResult Read(std::uint8_t* buffer, std::size_t capacity) = 0;

    // Drops everything waiting in both directions.
    virtual void Purge() = 0;

    // Asks the comm thread to end at the top of its next turn. The link calls it when it
    // reports a port failure; it must not block.
    virtual void RequestStop() = 0;
};

} // namespace zolt
