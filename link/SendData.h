// One outgoing frame of a queued command, built in advance by the frame builder.
#pragma once

#include "link/Frame.h"

#include <memory>

namespace zolt {

class CSendData {
public:
    // A record of zeros with the start mark FF 55 in place.
    CSendData();

    SFrameRecord& Record() { return *m_pRecord; }
    const SFrameRecord& Record() const { return *m_pRecord; }

private:
    std::unique_ptr<SFrameRecord> m_pRecord;
};

} // namespace zolt
