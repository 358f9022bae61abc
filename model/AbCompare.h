// A/B compare of the edited mode: the working image as it is when the compare starts is
// kept as A, the user edits on as B, and a switch puts the other side into the working image
// (the link's synchronisation then sends only the bytes that differ, as for any edit). Each
// side keeps the edits made while it was shown. Keeping a side ends the compare with that
// side in the working image. What differs is listed by comparing the two sides' images
// through the field table. UI thread; takes the image lock around every read and write of
// the working image.
#pragma once

#include "model/Layout.h"

#include <array>
#include <cstdint>

namespace zolt {

class CAbCompare {
public:
    enum class ESide { A, B };
    using CImage = std::array<std::uint8_t, kImageSize>;

    bool Active() const { return m_bActive; }
    // The side in the working image now.
    ESide Shown() const { return m_eShown; }

    // Keeps the working image as A and as B; B is shown.
    void Start();
    // Keeps the working image as the side shown and puts the other side into it, then
    // re-binds the curves. Nothing while no compare is under way.
    void Switch();
    // Ends the compare with that side in the working image (the curves re-bound).
    void Keep(ESide side);

    // A side as it is now: the side shown is the working image.
    CImage Side(ESide side) const;

private:
    void Show(const CImage& image);

    bool m_bActive = false;
    ESide m_eShown = ESide::B;
    CImage m_abHidden{}; // the side not shown
};

} // namespace zolt
