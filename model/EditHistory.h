// The history of the user's edits, for undo and redo. An edit is one gesture of the user
// (a slider drag from press to release, a committed field, a click, a curve drag, an "EQ
// Reset"); the window tells the history where gestures begin and end, and the history
// keeps, for each gesture that changed anything, the bytes of the working image and of the
// system block it changed, before and after. Undo writes the before-bytes back, redo the
// after-bytes; the link's synchronisation then sends the differences as for any edit.
// Changes that are not edits (a read-back, a recall, an import, a store, a password change)
// are absorbed without a step, and a whole image replaced starts a fresh history.
//
// All of it runs on the UI thread with the image lock held (the comm thread replaces whole
// images under the same lock).
#pragma once

#include "model/Layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zolt {

// One byte a gesture changed: in the working image or in the system block.
struct SByteChange {
    bool m_bSystem;
    std::uint16_t m_nOffset;
    std::uint8_t m_bBefore;
    std::uint8_t m_bAfter;
};

// The changes of one gesture, in image order, then system order.
struct SEditStep {
    std::vector<SByteChange> m_aChanges;
};

// What a step changed, as a person names it (language 0 English, 1 Chinese): the field's
// name when it changed one field ("Music Left EQ band 3 gain"), else the block with the most
// changed fields and how many settings changed ("Music Right (158 settings)").
std::string DescribeStep(const SEditStep& step, int language);

class CEditHistory {
public:
    // The steps kept at most; older ones are dropped. Each costs a few bytes per byte changed.
    static constexpr std::size_t kMaxSteps = 1000;

    CEditHistory();

    // Ends the open gesture (recording its step, if it changed anything) and opens the next
    // one from the data as it is now.
    void Cut();
    // Takes the data as it is now as the start of the open gesture without recording a step:
    // what changed since was not the user's edit.
    void Absorb();
    // Drops every step and takes the data as it is now.
    void Reset();

    // Writes the before-bytes of the last step back (after ending the open gesture) and
    // moves the step to the redo side. False when there is nothing to undo.
    bool Undo();
    // Writes the after-bytes of the last undone step. False when there is nothing to redo.
    bool Redo();

    // The step an undo or redo would apply now (the open gesture counts: it is ended
    // first); null when there is none.
    const SEditStep* NextUndo();
    const SEditStep* NextRedo();
    std::size_t UndoCount() const { return m_aUndo.size(); }
    std::size_t RedoCount() const { return m_aRedo.size(); }

private:
    void Snapshot();
    bool EndGesture();
    static void Apply(const SEditStep& step, bool bAfter);

    std::array<std::uint8_t, kImageSize> m_abImage{};
    std::array<std::uint8_t, kSystemSize> m_abSystem{};
    std::deque<SEditStep> m_aUndo;
    std::vector<SEditStep> m_aRedo;
};

} // namespace zolt
