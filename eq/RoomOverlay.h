// What the curve display shows over an equaliser besides its own curve: a measured
// response, the target it is corrected towards and the prediction (the measurement plus
// the equaliser, which the display adds live while a band is dragged), each switchable.
// One overlay per EQ block, process-wide, kept while the program runs. UI thread only.
#pragma once

#include "eq/Measurement.h"

#include <string>

namespace zolt {

enum class EOverlayCurve { Measurement, Target, Prediction };

class CRoomOverlay {
public:
    bool Loaded() const { return m_bLoaded; }
    // The measurement's file, as the user chose it.
    const std::string& File() const { return m_strFile; }
    // A measurement read from file; the target and the switches stay as they were.
    void Load(const SMeasurement& measurement, std::string strFile);
    // Forgets the measurement.
    void Clear();

    const STarget& Target() const { return m_target; }
    void SetTarget(STarget target);

    bool Shows(EOverlayCurve curve) const;
    void Show(EOverlayCurve curve, bool bShown);

    // The measurement as read, on the response grid (NaN outside its range).
    const CResponseDb& Measured() const { return m_adMeasured; }
    // The measurement shifted to the target's level (LevelOffset over 40 Hz .. 16 kHz), and
    // the target, as the display draws them.
    const CResponseDb& ShownMeasurement() const { return m_adShown; }
    const CResponseDb& TargetDb() const { return m_adTarget; }
    // The measurement plus the equaliser's response composite, shifted to the target's level
    // as the measurement is: the volume sets the level, so the fit judges the shape alone
    // and the display shows what it judged.
    CResponseDb Prediction(const CResponseDb& composite) const;
    // The lowest and highest dB of the curves shown (NaN when none is); the display's scale
    // follows them.
    double Lowest() const { return m_dLowest; }
    double Highest() const { return m_dHighest; }

private:
    void Update();

    bool m_bLoaded = false;
    std::string m_strFile;
    STarget m_target;
    bool m_abShown[3] = {true, true, true};
    CResponseDb m_adMeasured{};
    CResponseDb m_adShown{};
    CResponseDb m_adTarget{};
    double m_dLowest = 0.0;
    double m_dHighest = 0.0;
};

// The overlay of EQ block 0..17; nullptr for any other number.
CRoomOverlay* RoomOverlayOf(int nBlock);

} // namespace zolt
