// A main window stand-in that records what a page asks of it.
#pragma once

#include "link/Command.h"
#include "model/Command.h"
#include "pages/PageApi.h"
#include "pages/SysData.h"

#include <utility>
#include <vector>

namespace zolt {

class CFakePageApi : public CPageApi {
public:
    void SendCommand(int code, int parameter) override {
        m_aCommands.emplace_back(code, parameter);
    }
    // As the main window does: a volume above its new limit drops to it, unmuted.
    void ClampVolumes() override {
        ++m_nClamps;
        for (std::size_t v = sysblock::kEffectVolume; v <= sysblock::kMusicVolume; ++v) {
            const std::uint8_t limit = System()[v + 3];
            if ((System()[v] & 0x7F) > limit) {
                System()[v] = limit;
            }
        }
    }
    std::array<std::uint8_t, 12> MeterValues(int pollKind) const override {
        return pollKind == cmd::kLevelPoll ? m_abLevels : m_abStates;
    }
    void ExportMode() override { ++m_nExports; }
    void ImportMode() override { ++m_nImports; }
    void ImportAllModes() override { ++m_nImportAlls; }

    std::array<std::uint8_t, 12> m_abLevels{};
    std::array<std::uint8_t, 12> m_abStates{};
    std::vector<std::pair<int, int>> m_aCommands;
    int m_nClamps = 0;
    int m_nExports = 0;
    int m_nImports = 0;
    int m_nImportAlls = 0;
};

} // namespace zolt
