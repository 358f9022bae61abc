// Why the link gave up the frame in flight, and how far a transfer of all 21 modes had got
// by then. They make the lines that follow "Unable to Open Device!": which frame failed and
// how, and for a restore cut short, which modes the processor took from the file.
#pragma once

#include <cstdint>
#include <string>

namespace zolt {

enum class ELinkFault : std::uint8_t {
    None,
    NoAnswer,   // no transmission heard anything from the processor
    Incomplete, // an answer began but did not arrive complete in time
    Rejected,   // answered with status 1..3 (the detail)
    BadSum,     // the answers arrived damaged
    Short,      // the replies were too short for their data
    WrongSlot,  // a name or mode reply for slot (the detail) instead of the one asked for
    PortError,  // the port refused a read, a write or a wait
    HungUp,     // the line hung up: the device went away
};

struct SLinkFailure {
    ELinkFault m_eFault = ELinkFault::None;
    std::uint8_t m_nCommand = 0; // the frame in flight (0: none)
    std::uint8_t m_nParameter = 0;
    std::uint8_t m_nDetail = 0; // the status of a rejection, the slot of a wrong reply
    int m_nSends = 0;           // transmissions of the frame
};

// What the user is told a frame is: "read mode 3", "the probe", "EQ band 12".
std::string FrameName(std::uint8_t command, std::uint8_t parameter);

// One line naming the frame and the cause, for example "no answer to read mode 3 (3
// transmissions)"; empty for ELinkFault::None.
std::string FailureText(const SLinkFailure& failure);

// What a read of all modes is for, so that its failure says what became of the work:
// an export writes a file of all modes, a check reads back what a restore wrote, a
// comparison writes nothing.
enum class EReadPurpose : std::uint8_t { Export, Check, Compare };

// The transfer of all 21 modes: a read of all modes (command 130), or a restore's 21 mode
// writes (132) followed by the system block (131).
struct SBulkTransfer {
    std::uint8_t m_nCommand = 0;   // cmd::kReadMode or cmd::kWriteMode; 0: none under way
    std::uint32_t m_nAnswered = 0; // bit n: mode n (1..21) answered by its own answer
    // Bit n: mode n taken as answered by an acknowledgement that may have been the late
    // answer to an earlier frame (acknowledgements carry no mode number).
    std::uint32_t m_nMaybeAnswered = 0;
    std::uint8_t m_nSent = 0;   // the highest mode written so far
    bool m_bSystemSent = false; // a restore's system block has been written
    EReadPurpose m_eReadPurpose = EReadPurpose::Export;
};

// For a transfer that did not finish: which modes were read or written, what the
// processor now holds and what to do (empty when none was under way). A mode counts as
// written only on an answer that can only be its own; one answered otherwise "may have
// been written".
std::string TransferText(const SBulkTransfer& transfer);

// A restore that had begun writing and did not finish: the processor may hold some modes
// from the file and others of its own.
bool HoldsMix(const SBulkTransfer& transfer);

} // namespace zolt
