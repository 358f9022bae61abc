// The history of the user's edits, for undo and redo. An edit is one gesture of the user
// (a slider drag from press to release, a committed field, a click, a curve drag, an "EQ
// Reset"); the window tells the history where gestures begin and end, and the history
// keeps, for each gesture that changed anything, the bytes of the working image and of the
// system block it changed, before and after. Undo writes the before-bytes back, redo the
// after-bytes; the link's synchronisation then sends the differences as for any edit.
// A whole image replaced (a read-back, a recall, an import) is a step of its own, named for
// what replaced it, so undo brings back what it replaced; other changes that are not edits
// (a store, a password change) are absorbed without a step.
//
// All of it runs on the UI thread with the image lock held (the comm thread replaces whole
// images under the same lock).
#pragma once

#include "model/Layout.h"
#include "model/Text.h"

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

// The changes of one gesture, in image order, then system order; a step that replaced the
// whole image carries the name of what replaced it ("read-back").
struct SEditStep {
    std::vector<SByteChange> m_aChanges;
    const SText* m_pName = nullptr;
};

// What a step changed, as a person names it (language 0 English, 1 Chinese): its name when
// it has one, the field's name when it changed one field ("Music Left EQ band 3 gain"), else
// the block with the most changed fields and how many settings changed ("Music Right (158
// settings)").
std::string DescribeStep(const SEditStep& step, int language);

// The settings (fields of the field table) a step changes.
std::size_t CountSettings(const SEditStep& step);

// Writes the step's after-bytes (or its before-bytes) into the working image and the system
// block. Takes the image lock.
void ApplyStep(const SEditStep& step, bool bAfter);

// The edits that never reached the processor: every byte of the working image, and of the
// system block's settings (not the mode number or the passwords), that differs from what
// the processor is known to hold (the shadows), as shadow -> data. Image lock held.
SEditStep UnsentEdits();

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
    // Records what changed since the open gesture began as one step named name: a whole
    // image replaced (a user's gesture under way when it came is part of that step).
    void Record(const SText& name);

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

    std::array<std::uint8_t, kImageSize> m_abImage{};
    std::array<std::uint8_t, kSystemSize> m_abSystem{};
    std::deque<SEditStep> m_aUndo;
    std::vector<SEditStep> m_aRedo;
};

} // namespace zolt
