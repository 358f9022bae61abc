#include "link/SendData.h"

namespace zolt {

CSendData::CSendData() : m_pRecord(std::make_unique<SFrameRecord>()) {
    ClearRecord(*m_pRecord);
    m_pRecord->m_abFrame[0] = kStartMark1;
    m_pRecord->m_abFrame[1] = kStartMark2;
}

} // namespace zolt
