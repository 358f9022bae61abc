// The byte transport under the link, and the opener that makes one for a port's name: a
// serial device, the in-process simulated processor, the tests' virtual line. The comm
// loop (CommLoop.h) runs the link cycle over any transport; only it calls the transport,
// on one thread at a time, except RequestStop, which any thread may call.
#pragma once

#include "link/Clock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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

// What ended a wait for the port.
enum class EPortEvent {
    Readable, // bytes have arrived
    TimedOut, // nothing within the timeout
    HungUp,   // the device went away (POLLHUP/POLLERR, the far side closed)
    Failed,   // the wait itself failed; the transport has said why
    Stopped,  // a stop was requested
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

    // Waits up to timeout for bytes to arrive, the line to hang up or a stop request.
    virtual EPortEvent Wait(Milliseconds timeout) = 0;

    // Any thread, never blocks: the comm loop ends at the top of its next turn, and a
    // wait under way returns at once. The link asks for it when it reports a port failure,
    // the connection when it closes the port.
    virtual void RequestStop() = 0;
    virtual bool StopRequested() const = 0;

    // How long the way to the processor and back takes beyond the serial line: zero for a
    // local line, whose answer windows stay exact. A network port says how long its
    // connection took to set up (TCP and TLS handshakes: more than one round trip); the
    // link stretches its answer windows by it until it has timed the probe's answer.
    virtual Milliseconds RoundTrip() const { return Milliseconds{0}; }
};

// Why a port could not be opened, or (NotAnswered) opened but found no processor.
enum class EOpenError {
    None,
    Missing,     // no such device node
    Permission,  // no read and write access
    Busy,        // another program holds it
    NotSerial,   // the path is not a terminal device
    Unreachable, // a network room's host does not answer or takes no connection there
    NotTrusted,  // a network room's certificate is not the venue's for that host
    Refused,     // the room refused this desk, or this desk refuses plain tcp://
    Other,
    NotAnswered, // the probe went unanswered, was rejected or its answers were damaged
};

struct SOpenFailure {
    EOpenError m_eError = EOpenError::None;
    std::string m_strReason; // one line of English for the user
};

// Makes the transport of a port by its name. The connection asks it for every candidate
// of a lookup, on the UI thread (or zoltctl's main thread).
class CTransportOpener {
public:
    virtual ~CTransportOpener() = default;
    // The open transport of the port called name, or null with the reason in failure.
    virtual std::unique_ptr<CTransport> Open(const std::string& name, SOpenFailure& failure) = 0;
};

} // namespace zolt
