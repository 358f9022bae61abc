#include "eq/FilterList.h"

#include "eq/KTVEQ.h"
#include "eq/TextScan.h"
#include "model/Fields.h"
#include "model/Layout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>

namespace zolt {

namespace {

constexpr std::string_view kSpaces = " \t\r\v\f";
constexpr std::string_view kHeaderFirstLine = "Filter Settings file";
constexpr double kSteepestShelfSlope = 12.0; // dB per octave, shelf slope 1
constexpr double kButterworthQ = 0.7071;     // a crossover line of order 2 without Q
constexpr int kLargestOrder = 8;             // 48 dB per octave
constexpr double kSlopeStepDb = 6.0;         // dB per octave of each order

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithWord(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && SameWord(text.substr(0, word.size()), word);
}

std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t pos = text.find_first_not_of(kSpaces);
    while (pos != std::string_view::npos) {
        const std::size_t end = text.find_first_of(kSpaces, pos);
        tokens.push_back(text.substr(pos, end == std::string_view::npos ? end : end - pos));
        pos = text.find_first_not_of(kSpaces, end);
    }
    return tokens;
}

bool IsComment(std::string_view line) {
    return line.front() == '#' || line.front() == ';' || line.starts_with("//");
}

// "Filter:", "Filter 3:", "filter12:": the rest of the line after the colon.
std::optional<std::string_view> FilterLineBody(std::string_view line) {
    if (!StartsWithWord(line, "Filter")) {
        return std::nullopt;
    }
    std::string_view rest = line.substr(6);
    auto skipSpaces = [&rest] {
        const std::size_t n = rest.find_first_not_of(kSpaces);
        rest.remove_prefix(n == std::string_view::npos ? rest.size() : n);
    };
    skipSpaces();
    while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
        rest.remove_prefix(1);
    }
    skipSpaces();
    if (rest.empty() || rest.front() != ':') {
        return std::nullopt;
    }
    return rest.substr(1);
}

std::optional<std::string_view> PreampLineBody(std::string_view line) {
    if (!StartsWithWord(line, "Preamp:")) {
        return std::nullopt;
    }
    return line.substr(7);
}

// Walks the tokens of one line and says what is wrong with them.
class CLineReader {
public:
    CLineReader(std::string_view body, int nLine) : m_aTokens(Tokens(body)), m_nLine(nLine) {}

    bool AtEnd() const { return m_nPos >= m_aTokens.size(); }
    std::string_view Peek() const { return AtEnd() ? std::string_view{} : m_aTokens[m_nPos]; }
    std::string_view Take() { return AtEnd() ? std::string_view{} : m_aTokens[m_nPos++]; }
    bool TakeIf(std::string_view word) {
        if (!AtEnd() && SameWord(Peek(), word)) {
            ++m_nPos;
            return true;
        }
        return false;
    }

    // A number with its unit attached, in the next token, or left out; with
    // bUnitRequired the unit must be there.
    bool Value(const char* what, std::string_view unit, bool bUnitRequired, double& value) {
        if (AtEnd()) {
            return Fail(Printf("%s needs a value", what));
        }
        const std::string_view token = Take();
        std::string_view suffix;
        if (!ParseDecimal(token, value, suffix)) {
            return Fail(Printf("%s: %s is not a number", what, Quoted(token).c_str()));
        }
        if (!suffix.empty()) {
            return SameWord(suffix, unit) ||
                   Fail(Printf("%s: %s is not a number in %s", what, Quoted(token).c_str(),
                               std::string(unit).c_str()));
        }
        return TakeIf(unit) || !bUnitRequired ||
               Fail(Printf("%s: the unit %s is missing", what, std::string(unit).c_str()));
    }

    bool Fail(const std::string& why) {
        m_strError = Printf("line %d: ", m_nLine) + why;
        return false;
    }
    const std::string& Error() const { return m_strError; }

private:
    std::vector<std::string_view> m_aTokens;
    std::size_t m_nPos = 0;
    int m_nLine;
    std::string m_strError;
};

struct SFilterType {
    std::string_view m_strName;
    int m_nType;
    bool m_bFixedShelf = false; // a shelf of the standard slope unless a Q or slope is given
};
constexpr SFilterType kFilterTypes[] = {
    {"PK", ftype::kPeaking},   {"PEQ", ftype::kPeaking},        {"LS", ftype::kLowShelf, true},
    {"LSC", ftype::kLowShelf}, {"HS", ftype::kHighShelf, true}, {"HSC", ftype::kHighShelf},
    {"HP", ftype::kHighPass},  {"HPQ", ftype::kHighPass},       {"LP", ftype::kLowPass},
    {"LPQ", ftype::kLowPass},  {"None", ftype::kBypass}, // an empty slot
};

bool IsCrossoverType(int nType) {
    return nType == ftype::kHighPass || nType == ftype::kLowPass;
}

// The parameters of a filter, each at most once, in any order.
struct SParameters {
    std::optional<double> m_freq, m_gain, m_q, m_slope;
};

bool ReadParameters(CLineReader& reader, SParameters& p) {
    while (!reader.AtEnd()) {
        const std::string_view keyword = reader.Take();
        std::optional<double>* field = SameWord(keyword, "Fc")     ? &p.m_freq
                                       : SameWord(keyword, "Gain") ? &p.m_gain
                                       : SameWord(keyword, "Q")    ? &p.m_q
                                                                   : nullptr;
        if (field == nullptr) {
            return reader.Fail(
                Printf("unexpected %s (expected Fc, Gain or Q)", Quoted(keyword).c_str()));
        }
        if (field->has_value()) {
            return reader.Fail(Printf("%s given twice", Quoted(keyword).c_str()));
        }
        double value = 0.0;
        const bool read = field == &p.m_freq   ? reader.Value("Fc", "Hz", false, value)
                          : field == &p.m_gain ? reader.Value("Gain", "dB", false, value)
                                               : reader.Value("Q", "", false, value);
        if (!read) {
            return false;
        }
        *field = value;
    }
    return true;
}

bool CheckFrequency(CLineReader& reader, const SParameters& p) {
    if (!p.m_freq) {
        return reader.Fail("no frequency (Fc)");
    }
    return (*p.m_freq > 0.0 && *p.m_freq < kSampleRate / 2.0) ||
           reader.Fail(
               Printf("frequency %g Hz is not between 0 and %g Hz", *p.m_freq, kSampleRate / 2.0));
}

// Checks what a band of its type needs and fills in the filter's values.
bool CheckBand(CLineReader& reader, const SParameters& p, bool bFixedShelf, SListFilter& filter) {
    const bool shelf = filter.m_nType != ftype::kPeaking;
    if (!CheckFrequency(reader, p)) {
        return false;
    }
    if (!p.m_gain) {
        return reader.Fail("no gain (Gain)");
    }
    if (shelf && p.m_q && p.m_slope) {
        return reader.Fail("a shelf takes Q or a slope in dB, not both");
    }
    if (!p.m_q && !p.m_slope && !bFixedShelf) {
        return reader.Fail(shelf ? "a shelf needs Q or a slope in dB" : "no Q");
    }
    filter.m_dFreq = *p.m_freq;
    filter.m_dGain = *p.m_gain;
    if (!p.m_q) {
        filter.m_dSlope = p.m_slope.value_or(kSteepestShelfSlope);
        filter.m_dQ = ShelfQOfSlope(filter.m_dSlope, filter.m_dGain);
        if (filter.m_dQ <= 0.0) {
            return reader.Fail(Printf("a slope of %g dB is out of reach for a shelf of %g dB",
                                      filter.m_dSlope, filter.m_dGain));
        }
        return true;
    }
    if (!(*p.m_q > 0.0)) {
        return reader.Fail(Printf("Q %g is not above 0", *p.m_q));
    }
    filter.m_dQ = *p.m_q;
    return true;
}

// Checks a high-pass or low-pass line: a frequency, a slope of whole orders or a Q for
// order 2, no gain.
bool CheckCrossover(CLineReader& reader, const SParameters& p, SListFilter& filter) {
    if (!CheckFrequency(reader, p)) {
        return false;
    }
    if (p.m_gain && *p.m_gain != 0.0) {
        return reader.Fail("a high-pass or low-pass has no gain");
    }
    const double slope = p.m_slope.value_or(2 * kSlopeStepDb);
    const double order = slope / kSlopeStepDb;
    if (order != std::floor(order) || order < 1 || order > kLargestOrder) {
        return reader.Fail(Printf("a slope of %g dB is none of 6, 12, 18 .. 48 dB", slope));
    }
    filter.m_nOrder = static_cast<int>(order);
    if (p.m_q && filter.m_nOrder != 2) {
        return reader.Fail("a Q goes with a slope of 12 dB only");
    }
    if (p.m_q && !(*p.m_q > 0.0)) {
        return reader.Fail(Printf("Q %g is not above 0", *p.m_q));
    }
    filter.m_dFreq = *p.m_freq;
    filter.m_dQ = filter.m_nOrder == 2 ? p.m_q.value_or(kButterworthQ) : 0.0;
    return true;
}

// "ON PK Fc 63 Hz Gain -5 dB Q 4": false with the reader's error, or true with the filter
// (nType kBypass for an empty slot).
bool ReadFilter(CLineReader& reader, SListFilter& filter) {
    if (reader.TakeIf("ON")) {
        filter.m_bOn = true;
    } else if (reader.TakeIf("OFF")) {
        filter.m_bOn = false;
    } else {
        return reader.Fail("ON or OFF expected after the colon");
    }
    const std::string_view typeName = reader.Take();
    const auto* type =
        std::find_if(std::begin(kFilterTypes), std::end(kFilterTypes),
                     [typeName](const SFilterType& t) { return SameWord(t.m_strName, typeName); });
    if (type == std::end(kFilterTypes)) {
        return reader.Fail(Printf("unknown filter type %s (PK, PEQ, LS, LSC, HS, HSC, HP, HPQ, "
                                  "LP, LPQ or None)",
                                  Quoted(typeName).c_str()));
    }
    filter.m_nType = type->m_nType;
    if (filter.m_nType == ftype::kBypass) {
        return reader.AtEnd() ||
               reader.Fail(Printf("unexpected %s after None", Quoted(reader.Peek()).c_str()));
    }
    SParameters parameters;
    double slope = 0.0;
    std::string_view suffix;
    if (filter.m_nType != ftype::kPeaking && ParseDecimal(reader.Peek(), slope, suffix)) {
        if (!reader.Value("the slope", "dB", true, slope)) {
            return false;
        }
        parameters.m_slope = slope;
    }
    if (!ReadParameters(reader, parameters)) {
        return false;
    }
    return IsCrossoverType(filter.m_nType)
               ? CheckCrossover(reader, parameters, filter)
               : CheckBand(reader, parameters, type->m_bFixedShelf, filter);
}

bool ReadPreamp(CLineReader& reader, double& db) {
    if (!reader.Value("Preamp", "dB", false, db)) {
        return false;
    }
    return reader.AtEnd() || reader.Fail(Printf("unexpected %s", Quoted(reader.Peek()).c_str()));
}

std::string TypeName(int nType) {
    switch (nType) {
    case ftype::kPeaking:
        return "PK";
    case ftype::kLowShelf:
        return "LS";
    case ftype::kHighShelf:
        return "HS";
    default:
        return "BY";
    }
}

std::uint8_t* BandRecord(const SEqBlock& block, std::uint8_t* pImage, int nBand) {
    return pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(nBand);
}

SEqBlock BlockOfImage(int nBlock, const std::uint8_t* pImage) {
    return EqBlock(nBlock, LiveOutputSet(pImage[image::kOutputMode]));
}

std::string AskedText(const SListFilter& f) {
    std::string text =
        Printf("%s %g Hz %+g dB ", TypeName(f.m_nType).c_str(), f.m_dFreq, f.m_dGain);
    if (f.m_dSlope > 0.0) {
        return text + Printf("slope %g dB (Q %.3f)", f.m_dSlope, f.m_dQ);
    }
    return text + Printf("Q %g", f.m_dQ);
}

std::string PlayedText(const SMappedBand& b) {
    return Printf("%s %s Hz %+.1f dB Q %s", TypeName(b.m_nType).c_str(),
                  FreqTextByValue(FreqOfIndex(b.m_nFreqIndex)).c_str(), GainDbOfRaw(b.m_nGainRaw),
                  QText(QOfIndex(b.m_nQIndex), false).c_str());
}

std::string ClosenessText(const SCloseness& c) {
    return Printf("%.2f dB at %s Hz", c.m_dDb, FreqTextByValue(c.Hz()).c_str());
}

std::string ClampNotes(const SListFilter& f, const SMappedBand& b, const SGainRange& gains) {
    std::string notes;
    if (b.m_bFreqClamped) {
        notes += Printf("  frequency %g Hz is outside 19.7..20600 Hz: set to %s Hz\n", f.m_dFreq,
                        FreqTextByValue(FreqOfIndex(b.m_nFreqIndex)).c_str());
    }
    if (b.m_bGainClamped) {
        notes += Printf("  gain %+g dB is outside %+g..%+g dB: set to %+.1f dB\n", f.m_dGain,
                        gains.m_dMin, gains.m_dMax, GainDbOfRaw(b.m_nGainRaw));
    }
    if (b.m_bQClamped) {
        notes += Printf("  Q %g is outside 0.4..128: set to %s\n", f.m_dQ,
                        QText(QOfIndex(b.m_nQIndex), false).c_str());
    }
    return notes;
}

std::string BandRangeText(int nFirst, int nLast) {
    return nFirst == nLast ? Printf("Band %d", nFirst) : Printf("Bands %d..%d", nFirst, nLast);
}

// --- Crossover lines ---

// The sections of a crossover: the Q values of its biquads, lowest first, and whether a
// first-order section follows.
struct SSections {
    std::vector<double> m_adQ;
    bool m_bFirstOrder = false;

    int Order() const { return 2 * static_cast<int>(m_adQ.size()) + (m_bFirstOrder ? 1 : 0); }
};

// The sections one line asks for: order 2 with its Q, any other order as Butterworth.
void AddSections(const SListFilter& line, SSections& sections) {
    if (line.m_nOrder == 2) {
        sections.m_adQ.push_back(line.m_dQ);
        return;
    }
    const int n = line.m_nOrder;
    for (int k = 1; k <= n / 2; ++k) {
        sections.m_adQ.push_back(1.0 / (2.0 * std::sin((2 * k - 1) * std::numbers::pi / (2 * n))));
    }
    if (n % 2 == 1) {
        // Two first-order sections at one frequency are a biquad with a double pole.
        if (sections.m_bFirstOrder) {
            sections.m_adQ.push_back(0.5);
        }
        sections.m_bFirstOrder = !sections.m_bFirstOrder;
    }
}

SSections SectionsOfSlope(int nSlope) {
    const SSlopeSections& slope = SlopeSections(nSlope);
    SSections sections;
    sections.m_adQ.assign(slope.m_adQ.begin(), slope.m_adQ.begin() + slope.m_nBiquads);
    sections.m_bFirstOrder = slope.m_bFirstOrder;
    std::sort(sections.m_adQ.begin(), sections.m_adQ.end());
    return sections;
}

// How far a slope's sections are from those asked for: 0 when they are the same (each Q
// within 1 %); an order apart weighs more than any difference of Q.
double SectionDistance(const SSections& asked, const SSections& slope) {
    constexpr double kOrderWeight = 100.0;
    constexpr double kSameQ = 0.01;
    if (asked.Order() != slope.Order() || asked.m_bFirstOrder != slope.m_bFirstOrder) {
        return kOrderWeight * (std::abs(asked.Order() - slope.Order()) + 1);
    }
    double distance = 0.0;
    for (std::size_t i = 0; i < asked.m_adQ.size(); ++i) {
        const double ratio = std::fabs(std::log(asked.m_adQ[i] / slope.m_adQ[i]));
        distance += ratio > kSameQ ? ratio : 0.0;
    }
    return distance;
}

// One crossover of a block as the list sets it.
struct SMappedCrossover {
    int m_nType = ftype::kHighPass;
    int m_nFreqIndex = 0;
    int m_nSlope = 0;     // 0 "ByPass" .. 12
    bool m_bExact = true; // the slope has the sections asked for
    std::string m_strReport;
};

std::string SectionsText(const SSections& sections) {
    std::string text = Printf("%d dB per octave", sections.Order() * 6);
    for (std::size_t i = 0; i < sections.m_adQ.size(); ++i) {
        text += Printf(i == 0 ? ", Q %.4g" : " %.4g", sections.m_adQ[i]);
    }
    return text;
}

std::string LinesText(const std::vector<const SListFilter*>& lines) {
    std::string text = lines.size() == 1 ? "line" : "lines";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += Printf(i == 0 ? " %d" : ", %d", lines[i]->m_nLine);
    }
    return text;
}

// The crossover of one kind that the list's lines of that kind set; false with the reason
// when their ON lines lie at two frequencies.
bool MapCrossover(const std::vector<SListFilter>& all, int nType, SMappedCrossover& mapped,
                  std::string& error) {
    std::vector<const SListFilter*> on;
    std::vector<const SListFilter*> off;
    for (const SListFilter& line : all) {
        if (line.m_nType == nType) {
            (line.m_bOn ? on : off).push_back(&line);
        }
    }
    const char* kind = nType == ftype::kHighPass ? "High-pass" : "Low-pass";
    mapped.m_nType = nType;
    if (on.empty()) {
        mapped.m_nFreqIndex = IndexOfFreq(ClampFreq(off.front()->m_dFreq));
        mapped.m_strReport = Printf("%s <- %s: OFF -> %s Hz ByPass\n", kind, LinesText(off).c_str(),
                                    FreqTextByIndex(mapped.m_nFreqIndex).c_str());
        return true;
    }
    mapped.m_nFreqIndex = IndexOfFreq(ClampFreq(on.front()->m_dFreq));
    SSections asked;
    for (const SListFilter* line : on) {
        if (IndexOfFreq(ClampFreq(line->m_dFreq)) != mapped.m_nFreqIndex) {
            error = Printf("line %d: a %s at %g Hz, but line %d puts it at %g Hz: the "
                           "equaliser has one",
                           line->m_nLine, nType == ftype::kHighPass ? "high-pass" : "low-pass",
                           line->m_dFreq, on.front()->m_nLine, on.front()->m_dFreq);
            return false;
        }
        AddSections(*line, asked);
    }
    std::sort(asked.m_adQ.begin(), asked.m_adQ.end());
    double best = 0.0;
    for (int nSlope = 1; nSlope < kSlopeCount; ++nSlope) {
        const double distance = SectionDistance(asked, SectionsOfSlope(nSlope));
        if (mapped.m_nSlope == 0 || distance < best) {
            mapped.m_nSlope = nSlope;
            best = distance;
        }
    }
    mapped.m_bExact = best == 0.0;
    mapped.m_strReport =
        Printf("%s <- %s: %g Hz, ", kind, LinesText(on).c_str(), on.front()->m_dFreq) +
        SectionsText(asked) +
        Printf(" -> %s Hz %s", FreqTextByIndex(mapped.m_nFreqIndex).c_str(),
               kSlopeNames[static_cast<std::size_t>(mapped.m_nSlope)]) +
        (mapped.m_bExact ? ""
                         : " (the nearest of the processor's slopes: " +
                               SectionsText(SectionsOfSlope(mapped.m_nSlope)) + ")") +
        (off.empty() ? "" : "; OFF " + LinesText(off) + " passed over") + "\n";
    return true;
}

// The crossovers the list sets in EQ block nBlock, checked; false with the reason.
bool MapCrossovers(const SFilterList& list, int nBlock, std::vector<SMappedCrossover>& mapped,
                   std::string& error) {
    if (list.m_aCrossovers.empty()) {
        return true;
    }
    if (HighPassOffset(nBlock, 1) == kImageSize) {
        error = Printf("line %d: this equaliser has no high-pass or low-pass",
                       list.m_aCrossovers.front().m_nLine);
        return false;
    }
    for (const int nType : {ftype::kHighPass, ftype::kLowPass}) {
        const bool bListed =
            std::any_of(list.m_aCrossovers.begin(), list.m_aCrossovers.end(),
                        [nType](const SListFilter& f) { return f.m_nType == nType; });
        SMappedCrossover crossover;
        if (bListed && !MapCrossover(list.m_aCrossovers, nType, crossover, error)) {
            return false;
        }
        if (bListed) {
            mapped.push_back(std::move(crossover));
        }
    }
    return true;
}

void WriteCrossover(const SMappedCrossover& crossover, int nBlock, std::uint8_t* pImage) {
    std::uint8_t* record = pImage + HighPassOffset(nBlock, pImage[image::kOutputMode]) +
                           (crossover.m_nType == ftype::kLowPass ? xover::kSize : 0);
    SetU16(record + xover::kFreq, static_cast<std::uint16_t>(crossover.m_nFreqIndex));
    record[xover::kSlope] = static_cast<std::uint8_t>(crossover.m_nSlope);
}

} // namespace

SGainRange BandGainRange(int nBlock) {
    const SEqBlock block = EqBlock(nBlock, 1);
    const SField* pGain = FieldAt(EArea::Image, block.m_nFirst + band::kGain);
    if (block.m_nBands == 0 || pGain == nullptr) {
        return {};
    }
    const SFieldKind& kind = FieldKind(pGain->m_eKind);
    return {GainDbOfRaw(kind.m_nMin), GainDbOfRaw(kind.m_nMax)};
}

bool ParseFilterList(std::string_view text, SFilterList& list, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3); // a UTF-8 byte-order mark
    }
    SFilterList result;
    bool inHeader = false;
    bool seenContent = false;
    int nLine = 0;
    while (!text.empty() || nLine == 0) {
        ++nLine;
        const std::string_view line = TakeLine(text);
        if (line.empty() || IsComment(line)) {
            continue;
        }
        if (!seenContent && SameWord(line, kHeaderFirstLine)) {
            inHeader = true;
        }
        seenContent = true;
        const auto filterBody = FilterLineBody(line);
        const auto preampBody = filterBody ? std::nullopt : PreampLineBody(line);
        if (!filterBody && !preampBody) {
            if (inHeader) {
                continue;
            }
            error = Printf("line %d: not a filter line: %s", nLine, Quoted(line).c_str());
            return false;
        }
        inHeader = false;
        CLineReader reader(filterBody ? *filterBody : *preampBody, nLine);
        if (preampBody) {
            double db = 0.0;
            if (!ReadPreamp(reader, db)) {
                error = reader.Error();
                return false;
            }
            ++result.m_nPreampLines;
            result.m_dPreampDb += db;
            continue;
        }
        SListFilter filter;
        filter.m_nLine = nLine;
        if (!ReadFilter(reader, filter)) {
            error = reader.Error();
            return false;
        }
        if (IsCrossoverType(filter.m_nType)) {
            result.m_aCrossovers.push_back(filter);
        } else if (filter.m_nType != ftype::kBypass) {
            result.m_aFilters.push_back(filter);
        }
    }
    list = std::move(result);
    return true;
}

double ShelfQOfSlope(double dSlopeDb, double dGainDb) {
    if (!(dSlopeDb > 0.0)) {
        return 0.0;
    }
    // With A = 10^(gain / 40) and shelf slope S: 1 / Q^2 = (A + 1 / A)(1 / S - 1) + 2.
    const double A = std::pow(10.0, dGainDb / 40.0);
    const double S = dSlopeDb / kSteepestShelfSlope;
    const double inverseSquare = (A + 1.0 / A) * (1.0 / S - 1.0) + 2.0;
    return inverseSquare > 0.0 ? 1.0 / std::sqrt(inverseSquare) : 0.0;
}

SMappedBand MapFilter(const SListFilter& filter, int nBlock) {
    const SGainRange gains = BandGainRange(nBlock);
    const double dGain = std::clamp(filter.m_dGain, gains.m_dMin, gains.m_dMax);
    SMappedBand band;
    band.m_nType = filter.m_bOn ? filter.m_nType : ftype::kBypass;
    band.m_nFreqIndex = IndexOfFreq(filter.m_dFreq);
    band.m_nGainRaw = RawOfGainDb(dGain);
    band.m_nQIndex = IndexOfQ(filter.m_dQ);
    band.m_bFreqClamped = ClampFreq(filter.m_dFreq) != filter.m_dFreq;
    band.m_bGainClamped = dGain != filter.m_dGain;
    band.m_bQClamped = ClampQ(filter.m_dQ) != filter.m_dQ;
    return band;
}

void WriteBand(const SMappedBand& band, std::uint8_t* pRecord) {
    SetU16(pRecord + band::kFreq, static_cast<std::uint16_t>(band.m_nFreqIndex));
    pRecord[band::kGain] = static_cast<std::uint8_t>(band.m_nGainRaw);
    pRecord[band::kQ] = static_cast<std::uint8_t>(band.m_nQIndex);
    pRecord[band::kType] = static_cast<std::uint8_t>(band.m_nType);
}

double SCloseness::Hz() const {
    return kResponseGrid[static_cast<std::size_t>(std::clamp(m_nPoint, 0, kGridCount - 1))];
}

SCloseness LargestDifference(const CResponseDb& a, const CResponseDb& b) {
    SCloseness result;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double difference = std::fabs(a[i] - b[i]);
        if (difference > result.m_dDb) {
            result = {difference, static_cast<int>(i)};
        }
    }
    return result;
}

bool ImportFilterList(std::string_view text, int nBlock, std::uint8_t* pImage,
                      SImportResult& result, std::string& error) {
    SFilterList list;
    return ParseFilterList(text, list, error) && ImportFilters(list, nBlock, pImage, result, error);
}

bool ImportFilters(const SFilterList& list, int nBlock, std::uint8_t* pImage, SImportResult& result,
                   std::string& error) {
    const SEqBlock block = BlockOfImage(nBlock, pImage);
    if (block.m_nBands == 0) {
        error = Printf("there is no EQ block %d", nBlock);
        return false;
    }
    const auto& filters = list.m_aFilters;
    const auto nOn =
        std::count_if(filters.begin(), filters.end(), [](const SListFilter& f) { return f.m_bOn; });
    if (filters.empty() && list.m_aCrossovers.empty()) {
        error = "the list holds no filter; nothing imported";
        return false;
    }
    if (nOn > block.m_nBands) {
        error = Printf("%d filters for the %d bands of this equaliser; nothing imported",
                       static_cast<int>(nOn), block.m_nBands);
        return false;
    }
    std::vector<SMappedCrossover> crossovers;
    if (!MapCrossovers(list, nBlock, crossovers, error)) {
        return false;
    }
    const bool keepOff = static_cast<int>(filters.size()) <= block.m_nBands;

    SImportResult r;
    r.m_nBlockBands = block.m_nBands;
    std::string lines;
    if (list.m_nPreampLines > 0) {
        lines += Printf("Preamp %+.1f dB in the list: not applied; lower the level by hand if "
                        "the boosts need the headroom\n",
                        list.m_dPreampDb);
    }
    CResponseDb asked{};
    CResponseDb played{};
    for (const SListFilter& filter : filters) {
        if (!filter.m_bOn && !keepOff) {
            ++r.m_nOffLeftOut;
            continue;
        }
        const SMappedBand band = MapFilter(filter, nBlock);
        const int nBand = static_cast<int>(r.m_aBands.size());
        WriteBand(band, BandRecord(block, pImage, nBand));
        r.m_aBands.push_back(band);

        CFilter stored;
        stored.BindBand(BandRecord(block, pImage, nBand));
        const CFilter wanted = filter.m_bOn ? CFilter::BandOfValues(filter.m_nType, filter.m_dFreq,
                                                                    filter.m_dGain, filter.m_dQ)
                                            : CFilter{};
        const SCloseness closeness = LargestDifference(wanted.ResponseDb(), stored.ResponseDb());
        r.m_aPerBand.push_back(closeness);
        for (std::size_t i = 0; i < asked.size(); ++i) {
            asked[i] += wanted.ResponseDb()[i];
            played[i] += stored.ResponseDb()[i];
        }
        lines +=
            Printf("Band %d <- line %d: %s%s -> ", nBand + 1, filter.m_nLine,
                   filter.m_bOn ? "" : "OFF ", AskedText(filter).c_str()) +
            (filter.m_bOn ? PlayedText(band) + "; largest difference " + ClosenessText(closeness)
                          : "bypassed: " + PlayedText(band)) +
            "\n" + ClampNotes(filter, band, BandGainRange(nBlock));
    }
    const int nPlaced = static_cast<int>(r.m_aBands.size());
    for (int i = nPlaced; i < block.m_nBands; ++i) {
        BandRecord(block, pImage, i)[band::kType] = ftype::kBypass;
    }
    if (nPlaced < block.m_nBands) {
        lines += BandRangeText(nPlaced + 1, block.m_nBands) + ": bypassed\n";
    }
    if (r.m_nOffLeftOut > 0) {
        lines += Printf("%d OFF filters left out: the list has more filters than the %d bands\n",
                        r.m_nOffLeftOut, block.m_nBands);
    }
    for (const SMappedCrossover& crossover : crossovers) {
        WriteCrossover(crossover, nBlock, pImage);
        lines += crossover.m_strReport;
    }
    r.m_total = LargestDifference(asked, played);
    lines += "Largest difference of the whole list: " + ClosenessText(r.m_total) + "\n";
    r.m_strReport = std::move(lines);
    result = std::move(r);
    return true;
}

std::string FilterListFilePath(const std::string& chosen) {
    return std::filesystem::path(chosen).filename().has_extension() ? chosen : chosen + ".txt";
}

std::vector<std::string> ExportClampNotes(int nBlock, const std::uint8_t* pImage) {
    const SEqBlock block = BlockOfImage(nBlock, pImage);
    std::vector<std::string> notes;
    for (int i = 0; i < block.m_nBands; ++i) {
        const std::uint8_t* record =
            pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        const int nFreq = GetU16(record + band::kFreq);
        const int nGain = record[band::kGain];
        const int nQ = record[band::kQ];
        const int nType = record[band::kType];
        if (nFreq >= kFreqCount) {
            notes.push_back(Printf("band %d: frequency index %d is outside 0..%d: written as %s Hz",
                                   i + 1, nFreq, kFreqCount - 1,
                                   FreqTextByValue(FreqOfIndex(nFreq)).c_str()));
        }
        if (nGain > kGainRawMax) {
            notes.push_back(Printf("band %d: gain byte %d is outside 0..%d: written as %+.1f dB",
                                   i + 1, nGain, kGainRawMax, GainDbOfRaw(nGain)));
        }
        if (nQ >= kQCount) {
            notes.push_back(Printf("band %d: Q index %d is outside 0..%d: written as Q %s", i + 1,
                                   nQ, kQCount - 1, QText(QOfIndex(nQ), false).c_str()));
        }
        if (nType > ftype::kHighShelf) {
            notes.push_back(Printf("band %d: type byte %d is none of BY, P, LS, HS (0..3): "
                                   "written as OFF",
                                   i + 1, nType));
        }
    }
    return notes;
}

std::string ExportFilterList(int nBlock, const std::uint8_t* pImage) {
    const SEqBlock block = BlockOfImage(nBlock, pImage);
    std::string text;
    for (int i = 0; i < block.m_nBands; ++i) {
        const std::uint8_t* record =
            pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        const int nType = record[band::kType];
        const bool on = nType >= ftype::kPeaking && nType <= ftype::kHighShelf;
        text += Printf("Filter %d: %s %s Fc %s Hz Gain %.1f dB Q %s\n", i + 1, on ? "ON" : "OFF",
                       TypeName(on ? nType : ftype::kPeaking).c_str(),
                       FreqTextByValue(FreqOfIndex(GetU16(record + band::kFreq))).c_str(),
                       GainDbOfRaw(record[band::kGain]),
                       QText(QOfIndex(record[band::kQ]), false).c_str());
    }
    return text;
}

} // namespace zolt
