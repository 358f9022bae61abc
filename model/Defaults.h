// The factory state, the EQ reset of one block, the link copies that keep linked
// channels in step, the commit with re-binding and the local recall of a stored mode.
// All run on the UI thread with the image lock held (or before any comm thread runs).
#pragma once

#include <string>

namespace zolt {

// Factory passwords written into system block bytes 15..18 (panel) and 19..24 (system).
// They are ASCII digits, as a typed password is, so that typing them matches.
constexpr char kFactoryPanelPassword[] = "1234";
constexpr char kFactorySystemPassword[] = "123456";

// The curve objects bound to the working image's EQ and crossover records live in the eq
// layer. The routines here tell it through this observer whenever they rewrite records,
// so every curve follows its bytes; with no observer installed they only write bytes.
// The observer is called with the image lock held, on the thread that runs the routine.
class CCurveObserver {
public:
    virtual ~CCurveObserver() = default;
    // EQ block 0..17 (8..15: the record of the live output set) was rewritten.
    virtual void BlockRewritten(int block) = 0;
    // Output record 0..7 of output set 1..3 was rewritten.
    virtual void OutputRecordRewritten(int set, int record) = 0;
    // The whole working image was replaced.
    virtual void ImageReplaced() = 0;
};
// Installs the observer (null: none). Any thread; the eq layer installs itself once.
void SetCurveObserver(CCurveObserver* observer);

// Fills the working image, the system block and slot 0's password records with the factory
// values and brings every curve set up to date. Nothing outside the process is touched.
void FactoryDefaults();

// Puts the main EQ bands of EQ block 0..17 back to their default frequencies, flat,
// type peaking, and recomputes their curves. Block 7 and other numbers write nothing.
void ResetEqBlock(int block);

// Music Right := Music Left (image and shadow), then re-binds Music Right's curves.
void MusicLinkCopy();
// Mic 3&4 := Mic 1&2 (image and shadow), then re-binds Mic 3&4's curves.
void MicLinkCopy();
// Output record toRecord := fromRecord, the two records of a pair (0 and 1, 4 and 5, 6 and
// 7, either way), in all three sets, keeping the destination's mute byte and delay; in the
// working image only, so the synchronisation sends it; re-binds the destination's curves.
// Any other pair of records changes nothing.
void OutputPairLinkCopy(int fromRecord, int toRecord);

// Commits the shadow without the system block and re-binds every curve set.
void CommitWithRebind();
// Re-binds every curve set after the working image changed in many places (an undo or a
// redo); the shadow is left as it is, so the changes are sent as edits.
void RebindCurves();

// Offline recall of mode 1..21 from the preset store into the working image.
void LocalRecall(int mode);

} // namespace zolt
