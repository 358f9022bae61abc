// A page's two channels and their link: the two channel buttons, "SYNC" over a link flag of
// the working image, the link copy that runs when the channels come apart (the page's own:
// Music and Mic copy into the shadow too, the output pairs keep the linked edits and let
// the synchronisation send them), and "follow the link on reload": a link that
// arrives with a read-back or a file while the second channel is shown moves the page to
// the linked channel, so that the strips, the display and the fields all edit one channel.
// One row of data describes a page's pair; the page keeps which channel is shown.
// UI thread only.
#pragma once

#include <array>
#include <cstddef>
#include <functional>

class QWidget;

namespace zolt {

class CBitButton;

struct SChannelPair {
    int m_nSync;                     // the "SYNC" button
    std::array<int, 2> m_anButtons;  // the channel buttons ...
    std::array<int, 2> m_anChannels; // ... and the channel (EQ block number) each one shows
    std::size_t m_nLinkFlag;         // image byte: 1 = linked
    int m_nLinked;                   // the channel shown while linked
    void (*m_pfnLinkCopy)();         // what unlinking copies
};

class CChannelPair {
public:
    // pPage holds the buttons; *pChannel is the page's (process-wide) shown channel;
    // onSwitched runs after the channel changed or the link was toggled: the page rebinds
    // and reloads.
    CChannelPair(QWidget* pPage, const SChannelPair& row, int* pChannel,
                 std::function<void()> onSwitched);

    // Another pair on the same buttons (the output page's views); the buttons' ids must be
    // those of the first row.
    void SetRow(const SChannelPair& row, int* pChannel);

    // A channel button: shows its channel, unless it already is the shown one.
    void Select(int nChannel);
    // "SYNC": flips the link flag under the image lock; linking moves to the linked channel,
    // unlinking runs the link copy. Then the page reloads (onSwitched).
    void ToggleLink();
    // While linked, the linked channel is the shown one; true when that changed it.
    bool FollowLink();
    // "SYNC" checked while linked; the shown channel's button checked unless linked; both
    // channel buttons disabled while linked.
    void LoadButtons();

    bool Linked() const;
    int Channel() const { return *m_pChannel; }
    const SChannelPair& Row() const { return *m_pRow; }

private:
    CBitButton* Button(int nId) const;

    QWidget* m_pPage;
    const SChannelPair* m_pRow;
    int* m_pChannel;
    std::function<void()> m_onSwitched;
};

} // namespace zolt
