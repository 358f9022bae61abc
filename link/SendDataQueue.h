// The FIFO of queued frames: appended at the back, taken from the front. It owns its
// elements. Guarded by the image lock: every caller holds it.
#pragma once

#include "link/SendData.h"

#include <cstddef>
#include <deque>
#include <memory>

namespace zolt {

class CSendDataQueue {
public:
    void Append(std::unique_ptr<CSendData> frame);
    std::size_t Count() const { return m_queue.size(); }
    // Copies the first element's whole record (flags included) into current and destroys
    // the element; false when the queue is empty.
    bool TakeFirstInto(SFrameRecord& current);
    void Clear() { m_queue.clear(); }

    // Element i from the front (0 = next to go), for numbering and inspection.
    CSendData& At(std::size_t i) { return *m_queue[i]; }
    const CSendData& At(std::size_t i) const { return *m_queue[i]; }

private:
    std::deque<std::unique_ptr<CSendData>> m_queue;
};

} // namespace zolt
