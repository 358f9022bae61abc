// A room-correction filter list imported as the window imports it (into the working image
// under the lock, the curves re-bound, the page reloaded): a gain beyond what the page edits
// is stored at the end of the page's range and reported, so the band's field, its slider
// and its curve all show the one value stored.
#include "PageUser.h"

#include "eq/FilterList.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "pages/DEQ_Dlg.h"
#include "pages/EqStripBank.h"
#include "pages/MusicData.h"
#include "pages/MusicDlg.h"

#include <algorithm>
#include <cmath>

namespace zolt {
namespace {

constexpr int kMusicLeft = 0;
constexpr int kMusicLeftDeq = 16;

template <class TPage> class FilterImport : public test::CPageUser<TPage> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetMusicView();
        ResetDeqView();
        this->ShowPage();
    }
    void TearDown() override {
        this->m_pPage.reset();
        ResetProcessData();
    }
    // The report of the import of text into EQ block nBlock; the page shows the result.
    std::string Import(const char* pszText, int nBlock) {
        SImportResult result;
        std::string error;
        {
            const CImageGuard guard(ImageLock());
            EXPECT_TRUE(ImportFilterList(pszText, nBlock, Image(), result, error)) << error;
        }
        RebindAllCurveSets();
        this->m_pPage->Refresh();
        QApplication::processEvents();
        return result.m_strReport;
    }
    // The peak (or dip) of band nBand's curve of EQ block nBlock, in dB.
    static double CurveExtreme(int nBlock, int nBand) {
        const CResponseDb& adDb = CurveSetOfBlock(nBlock)->Filter(nBand)->ResponseDb();
        const auto [pMin, pMax] = std::minmax_element(adDb.begin(), adDb.end());
        return std::fabs(*pMin) > std::fabs(*pMax) ? *pMin : *pMax;
    }
};

using MusicImport = FilterImport<CMusicDlg>;
using DeqImport = FilterImport<CDEQ_Dlg>;

TEST_F(MusicImport, AGainAboveTheStripsIsStoredAtTheirTopAndShownAlike) {
    const std::string report = Import("Filter 1: ON PK Fc 1000 Hz Gain 18 dB Q 1\n"
                                      "Filter 2: ON PK Fc 100 Hz Gain -30 dB Q 1\n",
                                      kMusicLeft);
    EXPECT_NE(report.find("\n  gain +18 dB is outside -24..+12 dB: set to +12.0 dB\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\n  gain -30 dB is outside -24..+12 dB: set to -24.0 dB\n"),
              std::string::npos)
        << report;

    CEQDlg& strip = m_pPage->Strips().Strip(0);
    EXPECT_EQ(strip.GainField()->text(), "12.0");
    EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), 180);
    EXPECT_NEAR(CurveExtreme(kMusicLeft, 0), 12.0, 0.01);
    CEQDlg& second = m_pPage->Strips().Strip(1);
    EXPECT_EQ(second.GainField()->text(), "-24.0");
    EXPECT_EQ(second.GainSlider()->PosFromFarEnd(), 0);
    EXPECT_NEAR(CurveExtreme(kMusicLeft, 1), -24.0, 0.01);
}

TEST_F(DeqImport, AGainBeyondTheColumnsIsStoredAtTheirEndAndShownAlike) {
    const std::string report = Import("Filter 1: ON PK Fc 1000 Hz Gain -20 dB Q 1\n"
                                      "Filter 2: ON PK Fc 4000 Hz Gain 15 dB Q 1\n",
                                      kMusicLeftDeq);
    EXPECT_NE(report.find("\n  gain -20 dB is outside -12..+12 dB: set to -12.0 dB\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\n  gain +15 dB is outside -12..+12 dB: set to +12.0 dB\n"),
              std::string::npos)
        << report;

    EXPECT_EQ(Item<CNumEdit>(deqid::kGain)->text(), "-12.0");
    EXPECT_EQ(Item<CBitmapSlider>(deqid::kGainSlider)->PosFromFarEnd(), 60);
    EXPECT_NEAR(CurveExtreme(kMusicLeftDeq, 0), -12.0, 0.01);
    EXPECT_EQ(Item<CNumEdit>(deqid::kGain + 1)->text(), "12.0");
    EXPECT_EQ(Item<CBitmapSlider>(deqid::kGainSlider + 1)->PosFromFarEnd(), 180);
    EXPECT_NEAR(CurveExtreme(kMusicLeftDeq, 1), 12.0, 0.01);
}

} // namespace
} // namespace zolt
