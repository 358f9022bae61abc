#include "link/SendDataQueue.h"

#include <utility>

namespace zolt {

void CSendDataQueue::Append(std::unique_ptr<CSendData> frame) {
    m_queue.push_back(std::move(frame));
}

bool CSendDataQueue::TakeFirstInto(SFrameRecord& current) {
    if (m_queue.empty()) {
        return false;
    }
    current = m_queue.front()->Record();
    m_queue.pop_front();
    return true;
}

} // namespace zolt
