#include "link/TransferCheck.h"

#include "link/Session.h"
#include "model/Text.h"

namespace zolt {

namespace {

constexpr SText kSame{"处理器中的每个参数都与文件一致。",
                      "The processor holds every field of the file."};
constexpr SText kDiffer{"文件与处理器不同的参数：",
                        "Fields that differ between the file and the processor: "};
constexpr SText kMore{"……其余：", "... and more: "};

} // namespace

void CTransferCheck::Begin(bool allModes) {
    m_sent = PresetFileOfData(allModes);
}

void CTransferCheck::ReadBack(CSession& session) const {
    if (m_sent.m_bAllModes) {
        session.SendCommand(cmd::kReadSystem, 0);
        session.ReadAllModes(); // numbers both reads for the progress box
    } else {
        session.SendCommand(cmd::kReadMode, 0);
    }
}

SPresetFile CTransferCheck::Held() const {
    return PresetFileOfData(m_sent.m_bAllModes);
}

std::vector<SFieldDifference> CTransferCheck::Differences() const {
    std::vector<SFieldDifference> differences;
    std::string error;
    ComparePresets(m_sent, Held(), differences, error); // one format on both sides: comparable
    return differences;
}

std::string CTransferCheck::Report(std::size_t maxLines, int language) const {
    const std::vector<SFieldDifference> differences = Differences();
    if (differences.empty()) {
        return kSame.In(language);
    }
    const SPresetFile held = Held();
    std::string text = kDiffer.In(language) + std::to_string(differences.size());
    for (std::size_t i = 0; i < differences.size() && i < maxLines; ++i) {
        text += "\n" + DifferenceText(differences[i], m_sent, held, false, language);
    }
    if (differences.size() > maxLines) {
        text +=
            "\n" + std::string(kMore.In(language)) + std::to_string(differences.size() - maxLines);
    }
    return text;
}

} // namespace zolt
