#include "model/EditHistory.h"

#include "model/Command.h"
#include "model/Fields.h"

#include <algorithm>
#include <map>
#include <set>

namespace zolt {

namespace {

void Collect(bool bSystem, const std::uint8_t* pBefore, const std::uint8_t* pAfter,
             std::size_t nFrom, std::size_t nTo, std::vector<SByteChange>& aChanges) {
    for (std::size_t i = nFrom; i < nTo; ++i) {
        if (pBefore[i] != pAfter[i]) {
            aChanges.push_back({bSystem, static_cast<std::uint16_t>(i), pBefore[i], pAfter[i]});
        }
    }
}

void Collect(bool bSystem, const std::uint8_t* pBefore, const std::uint8_t* pAfter,
             std::size_t nSize, std::vector<SByteChange>& aChanges) {
    Collect(bSystem, pBefore, pAfter, 0, nSize, aChanges);
}

std::set<const SField*> FieldsOf(const SEditStep& step) {
    std::set<const SField*> fields;
    for (const SByteChange& change : step.m_aChanges) {
        const EArea eArea = change.m_bSystem ? EArea::System : EArea::Image;
        const auto bBits = static_cast<std::uint8_t>(change.m_bBefore ^ change.m_bAfter);
        if (const SField* pField = FieldAt(eArea, change.m_nOffset, bBits)) {
            fields.insert(pField);
        }
    }
    return fields;
}

} // namespace

std::size_t CountSettings(const SEditStep& step) {
    return FieldsOf(step).size();
}

std::string DescribeStep(const SEditStep& step, int language) {
    if (step.m_pName != nullptr) {
        return step.m_pName->In(language);
    }
    const std::set<const SField*> fields = FieldsOf(step);
    if (fields.size() == 1) {
        return (*fields.begin())->Name(language);
    }
    std::map<std::uint16_t, std::size_t> perGroup;
    for (const SField* pField : fields) {
        ++perGroup[pField->m_nGroup];
    }
    const auto most =
        std::max_element(perGroup.begin(), perGroup.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const std::string strGroup =
        most != perGroup.end() ? FieldGroups()[most->first].Name(language) : std::string();
    const std::string strCount = std::to_string(fields.size());
    return language != 0 ? strGroup + "（" + strCount + " 项设置）"
                         : strGroup + " (" + strCount + " settings)";
}

CEditHistory::CEditHistory() {
    Snapshot();
}

void CEditHistory::Snapshot() {
    const CImageGuard guard(ImageLock());
    std::copy_n(Image(), kImageSize, m_abImage.begin());
    std::copy_n(System(), kSystemSize, m_abSystem.begin());
}

// The open gesture's changes become a step; a new edit drops what could have been redone.
bool CEditHistory::EndGesture() {
    SEditStep step;
    {
        const CImageGuard guard(ImageLock());
        Collect(false, m_abImage.data(), Image(), kImageSize, step.m_aChanges);
        Collect(true, m_abSystem.data(), System(), kSystemSize, step.m_aChanges);
    }
    if (step.m_aChanges.empty()) {
        return false;
    }
    m_aUndo.push_back(std::move(step));
    if (m_aUndo.size() > kMaxSteps) {
        m_aUndo.pop_front();
    }
    m_aRedo.clear();
    return true;
}

void CEditHistory::Cut() {
    EndGesture();
    Snapshot();
}

void CEditHistory::Absorb() {
    Snapshot();
}

void CEditHistory::Reset() {
    m_aUndo.clear();
    m_aRedo.clear();
    Snapshot();
}

void CEditHistory::Record(const SText& name) {
    const CImageGuard guard(ImageLock());
    SEditStep step;
    step.m_pName = &name;
    Collect(false, m_abImage.data(), Image(), kImageSize, step.m_aChanges);
    Collect(true, m_abSystem.data(), System(), kSystemSize, step.m_aChanges);
    if (!step.m_aChanges.empty()) {
        m_aUndo.push_back(std::move(step));
        if (m_aUndo.size() > kMaxSteps) {
            m_aUndo.pop_front();
        }
        m_aRedo.clear();
    }
    Snapshot();
}

SEditStep UnsentEdits() {
    SEditStep step;
    Collect(false, Shadow(), Image(), kImageSize, step.m_aChanges);
    // The mode number and the passwords are the processor's; every other byte is a setting.
    Collect(true, SystemShadow(), System(), sysblock::kMode + 1, sysblock::kPanelCode,
            step.m_aChanges);
    Collect(true, SystemShadow(), System(), sysblock::kSystemCode + 6, kSystemSize,
            step.m_aChanges);
    return step;
}

void ApplyStep(const SEditStep& step, bool bAfter) {
    const CImageGuard guard(ImageLock());
    for (const SByteChange& change : step.m_aChanges) {
        std::uint8_t* pArea = change.m_bSystem ? System() : Image();
        pArea[change.m_nOffset] = bAfter ? change.m_bAfter : change.m_bBefore;
    }
}

bool CEditHistory::Undo() {
    EndGesture();
    if (m_aUndo.empty()) {
        Snapshot();
        return false;
    }
    ApplyStep(m_aUndo.back(), false);
    m_aRedo.push_back(std::move(m_aUndo.back()));
    m_aUndo.pop_back();
    Snapshot();
    return true;
}

bool CEditHistory::Redo() {
    EndGesture();
    if (m_aRedo.empty()) {
        Snapshot();
        return false;
    }
    ApplyStep(m_aRedo.back(), true);
    m_aUndo.push_back(std::move(m_aRedo.back()));
    m_aRedo.pop_back();
    Snapshot();
    return true;
}

const SEditStep* CEditHistory::NextUndo() {
    Cut();
    return m_aUndo.empty() ? nullptr : &m_aUndo.back();
}

const SEditStep* CEditHistory::NextRedo() {
    Cut();
    return m_aRedo.empty() ? nullptr : &m_aRedo.back();
}

} // namespace zolt
