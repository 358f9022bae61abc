#include "eq/RoomOverlay.h"

#include "model/Layout.h"

#include <algorithm>
#include <array>
#include <limits>

namespace zolt {

void CRoomOverlay::Load(const SMeasurement& measurement, std::string strFile) {
    m_adMeasured = CurveOnGrid(measurement);
    m_strFile = std::move(strFile);
    m_bLoaded = true;
    Update();
}

void CRoomOverlay::Clear() {
    m_bLoaded = false;
    m_strFile.clear();
    Update();
}

void CRoomOverlay::SetTarget(STarget target) {
    m_target = std::move(target);
    Update();
}

bool CRoomOverlay::Shows(EOverlayCurve curve) const {
    return m_abShown[static_cast<int>(curve)];
}

void CRoomOverlay::Show(EOverlayCurve curve, bool bShown) {
    m_abShown[static_cast<int>(curve)] = bShown;
    Update();
}

void CRoomOverlay::Update() {
    m_adTarget = TargetCurve(m_target);
    const double offset = LevelOffset(m_adMeasured, m_adTarget, kJudgedFromHz, kJudgedToHz);
    std::transform(m_adMeasured.begin(), m_adMeasured.end(), m_adShown.begin(),
                   [offset](double db) { return db - offset; });
    m_dLowest = std::numeric_limits<double>::quiet_NaN();
    m_dHighest = std::numeric_limits<double>::quiet_NaN();
    auto take = [this](const CResponseDb& curve) {
        for (const double db : curve) {
            if (Known(db)) {
                m_dLowest = Known(m_dLowest) ? std::min(m_dLowest, db) : db;
                m_dHighest = Known(m_dHighest) ? std::max(m_dHighest, db) : db;
            }
        }
    };
    if (m_bLoaded && Shows(EOverlayCurve::Measurement)) {
        take(m_adShown);
    }
    if (m_bLoaded && Shows(EOverlayCurve::Target)) {
        take(m_adTarget);
    }
}

CResponseDb CRoomOverlay::Prediction(const CResponseDb& composite) const {
    CResponseDb predicted = m_adMeasured;
    for (std::size_t i = 0; i < predicted.size(); ++i) {
        predicted[i] += composite[i];
    }
    const double offset = LevelOffset(predicted, m_adTarget, kJudgedFromHz, kJudgedToHz);
    for (double& db : predicted) {
        db -= offset;
    }
    return predicted;
}

CRoomOverlay* RoomOverlayOf(int nBlock) {
    static std::array<CRoomOverlay, kEqBlockCount> s_overlays;
    if (nBlock < 0 || nBlock >= static_cast<int>(kEqBlockCount)) {
        return nullptr;
    }
    return &s_overlays[static_cast<std::size_t>(nBlock)];
}

} // namespace zolt
