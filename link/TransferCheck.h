// The check after a transfer: what was sent to the processor (a whole working image, or all
// 21 modes with the system block) is read back and compared field by field with what the
// processor now holds. The window's check after an on-line "Import all" and zoltctl's
// restore --verify and push --verify are this one check.
//
// Host thread of the session, never with the image lock held.
#pragma once

#include "link/PresetCompare.h"

#include <string>
#include <vector>

namespace zolt {

class CSession;

class CTransferCheck {
public:
    // Remembers what the transfer sends: the working image or the preset store as they are
    // now (as the import took the file). Call right after the import.
    void Begin(bool allModes);
    bool AllModes() const { return m_sent.m_bAllModes; }

    // Asks the processor for what it holds: the system block and the 21 modes (the
    // session's host hears AllModesRead once they are in), or the working image
    // (ImageReplaced).
    void ReadBack(CSession& session) const;

    // What was sent against what the processor holds now (after the read-back).
    std::vector<SFieldDifference> Differences() const;
    const SPresetFile& Sent() const { return m_sent; }
    SPresetFile Held() const;

    // The differences as text: a first line with their count, then one line each (the
    // first maxLines of them) in language (0 English, 1 Chinese), then how many were left
    // out; for no difference, the line saying the processor holds every field.
    std::string Report(std::size_t maxLines, int language) const;

private:
    SPresetFile m_sent;
};

} // namespace zolt
