#include "link/LinkFault.h"

#include "link/Command.h"
#include "link/Frame.h"
#include "model/Layout.h"

namespace zolt {

namespace {

// Frames whose parameter byte says nothing to the user.
bool ParameterIsPlain(std::uint8_t command) {
    return command == cmd::kProbe || command == cmd::kReadSystem || command == cmd::kWriteSystem ||
           command == cmd::kLevelPoll || command == cmd::kStatePoll;
}

std::string Transmissions(int sends) {
    return " (" + std::to_string(sends) + (sends == 1 ? " transmission)" : " transmissions)");
}

// "mode 4", "modes 1 to 10".
std::string Modes(int first, int last) {
    if (first == last) {
        return "mode " + std::to_string(first);
    }
    return "modes " + std::to_string(first) + " to " + std::to_string(last);
}

// "mode 4 was", "modes 1 to 10 were".
std::string ModesWere(int first, int last) {
    return Modes(first, last) + (first == last ? " was" : " were");
}

// Modes 1..n in a row whose bits are set in answered (a transfer takes them in order).
int InARow(std::uint32_t answered) {
    int n = 0;
    while (n < static_cast<int>(kModeCount) && (answered & (1u << (n + 1))) != 0) {
        ++n;
    }
    return n;
}

std::string ReadText(const SBulkTransfer& transfer) {
    const int read = InARow(transfer.m_nAnswered);
    const bool check = transfer.m_eReadPurpose == EReadPurpose::Check;
    std::string text = std::string(check ? "The read-back" : "The read of all modes") +
                       " stopped at mode " + std::to_string(read + 1);
    text += read == 0 ? ": no mode was read" : ": " + ModesWere(1, read) + " read";
    switch (transfer.m_eReadPurpose) {
    case EReadPurpose::Export:
        return text + ", and no file of all modes was written.";
    case EReadPurpose::Check:
        return text + " back.";
    case EReadPurpose::Compare:
        break;
    }
    return text + ".";
}

// "modes 1 to 10 were written from the file", "no mode was confirmed written".
std::string ConfirmedText(int confirmed) {
    return confirmed == 0 ? "no mode was confirmed written"
                          : ModesWere(1, confirmed) + " written from the file";
}

std::string RestoreText(const SBulkTransfer& transfer) {
    const int total = static_cast<int>(kModeCount);
    if (transfer.m_nSent == 0) {
        return "The restore had not begun: the processor is unchanged.";
    }
    const int confirmed = InARow(transfer.m_nAnswered);
    const int answered = InARow(transfer.m_nAnswered | transfer.m_nMaybeAnswered);
    std::string text = "The restore stopped ";
    if (answered == total) {
        text += "at the system settings: ";
        text += confirmed == total ? "all 21 modes were written from the file"
                                   : ConfirmedText(confirmed) + "; " + Modes(confirmed + 1, total) +
                                         " may have been written";
        text += "; the system settings ";
        text += transfer.m_bSystemSent ? "may have been written." : "were not written.";
    } else {
        const int stopped = answered + 1;
        text += "at mode " + std::to_string(stopped) + ": " + ConfirmedText(confirmed);
        // Modes answered without certainty, and the mode in flight once written, may have
        // been taken.
        const int maybe = transfer.m_nSent >= stopped ? stopped : answered;
        if (maybe > confirmed) {
            text += "; " + Modes(confirmed + 1, maybe) + " may have been";
            text += maybe > answered && maybe == confirmed + 1 ? "" : " written";
        }
        text += "; ";
        text += maybe < total ? Modes(maybe + 1, total) + " and the system settings were not."
                              : "the system settings were not.";
    }
    return text + "\nThe processor now holds a mix of the file and its own earlier settings. "
                  "Restore the file again to finish.";
}

} // namespace

std::string FrameName(std::uint8_t command, std::uint8_t parameter) {
    if (command == cmd::kProbe) {
        return "the probe";
    }
    const SCommandInfo* info = FindHostCommand(command);
    if (info == nullptr) {
        return "command " + std::to_string(command);
    }
    std::string name = info->m_pszName;
    if (info->m_eParameter == EParameterRule::Value && !ParameterIsPlain(command)) {
        name += " " + std::to_string(parameter);
    }
    return name;
}

std::string FailureText(const SLinkFailure& failure) {
    const std::string frame = FrameName(failure.m_nCommand, failure.m_nParameter);
    const std::string during = failure.m_nCommand != 0 ? " during " + frame : "";
    switch (failure.m_eFault) {
    case ELinkFault::None:
        return {};
    case ELinkFault::NoAnswer:
        return "no answer to " + frame + Transmissions(failure.m_nSends);
    case ELinkFault::Incomplete:
        return "the answer to " + frame + " did not arrive complete in time" +
               Transmissions(failure.m_nSends);
    case ELinkFault::Rejected:
        return "the processor rejected " + frame + " (status " + std::to_string(failure.m_nDetail) +
               ")";
    case ELinkFault::BadSum:
        return "the answers to " + frame + " arrived damaged (wrong sum)";
    case ELinkFault::Short:
        return "the replies to " + frame + " were too short for their data";
    case ELinkFault::WrongSlot: {
        const char* what = failure.m_nCommand == cmd::kReadMode ? "mode " : "the name of slot ";
        return std::string(what) + std::to_string(failure.m_nParameter) +
               " was asked for, the processor answered with " +
               (failure.m_nCommand == cmd::kReadMode ? "mode " : "slot ") +
               std::to_string(failure.m_nDetail) + Transmissions(failure.m_nSends);
    }
    case ELinkFault::PortError:
        return "the port stopped working" + during;
    case ELinkFault::HungUp:
        return "the line hung up" + during + " (the device went away)";
    }
    return {};
}

std::string TransferText(const SBulkTransfer& transfer) {
    if (transfer.m_nCommand == cmd::kReadMode) {
        return ReadText(transfer);
    }
    if (transfer.m_nCommand == cmd::kWriteMode) {
        return RestoreText(transfer);
    }
    return {};
}

bool HoldsMix(const SBulkTransfer& transfer) {
    return transfer.m_nCommand == cmd::kWriteMode && transfer.m_nSent > 0;
}

} // namespace zolt
