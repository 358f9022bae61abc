#include "eq/FilterList.h"

#include "model/Fields.h"
#include "model/Layout.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace zolt {

namespace {

constexpr std::string_view kSpaces = " \t\r\v\f";
constexpr std::string_view kHeaderFirstLine = "Filter Settings file";
constexpr double kSteepestShelfSlope = 12.0; // dB per octave, shelf slope 1

std::string Printf(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool StartsWithWord(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && SameWord(text.substr(0, word.size()), word);
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
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

// A piece of the text fit to quote in a message: printable, at most 24 characters.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kMax = 24;
    std::string out = "\"";
    for (const char c : text.substr(0, kMax)) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    return out + (text.size() > kMax ? "...\"" : "\"");
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

// A finite decimal number at the start of token ("-5.0", "+3", "63", "1e3"); the rest of
// the token (an attached unit) goes to suffix.
bool ParseNumber(std::string_view token, double& value, std::string_view& suffix) {
    if (token.starts_with('+')) {
        token.remove_prefix(1);
        if (token.starts_with('-') || token.starts_with('+')) {
            return false;
        }
    }
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) {
        return false;
    }
    suffix = token.substr(static_cast<std::size_t>(end - token.data()));
    return true;
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
        if (!ParseNumber(token, value, suffix)) {
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
};
constexpr SFilterType kFilterTypes[] = {
    {"PK", ftype::kPeaking},   {"PEQ", ftype::kPeaking},  {"LS", ftype::kLowShelf},
    {"LSC", ftype::kLowShelf}, {"HS", ftype::kHighShelf}, {"HSC", ftype::kHighShelf},
    {"None", ftype::kBypass}, // an empty slot
};

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

// Checks what a filter of its type needs and fills in the filter's values.
bool CheckParameters(CLineReader& reader, const SParameters& p, SListFilter& filter) {
    const bool shelf = filter.m_nType != ftype::kPeaking;
    if (!p.m_freq) {
        return reader.Fail("no frequency (Fc)");
    }
    if (!(*p.m_freq > 0.0 && *p.m_freq < kSampleRate / 2.0)) {
        return reader.Fail(
            Printf("frequency %g Hz is not between 0 and %g Hz", *p.m_freq, kSampleRate / 2.0));
    }
    if (!p.m_gain) {
        return reader.Fail("no gain (Gain)");
    }
    if (shelf && p.m_q && p.m_slope) {
        return reader.Fail("a shelf takes Q or a slope in dB, not both");
    }
    if (!p.m_q && !p.m_slope) {
        return reader.Fail(shelf ? "a shelf needs Q or a slope in dB" : "no Q");
    }
    filter.m_dFreq = *p.m_freq;
    filter.m_dGain = *p.m_gain;
    if (p.m_slope) {
        filter.m_dSlope = *p.m_slope;
        filter.m_dQ = ShelfQOfSlope(*p.m_slope, *p.m_gain);
        if (filter.m_dQ <= 0.0) {
            return reader.Fail(Printf("a slope of %g dB is out of reach for a shelf of %g dB",
                                      *p.m_slope, *p.m_gain));
        }
        return true;
    }
    if (!(*p.m_q > 0.0)) {
        return reader.Fail(Printf("Q %g is not above 0", *p.m_q));
    }
    filter.m_dQ = *p.m_q;
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
        return reader.Fail(Printf("unknown filter type %s (PK, PEQ, LS, LSC, HS, HSC or None)",
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
    if (filter.m_nType != ftype::kPeaking && ParseNumber(reader.Peek(), slope, suffix)) {
        if (!reader.Value("the slope", "dB", true, slope)) {
            return false;
        }
        parameters.m_slope = slope;
    }
    return ReadParameters(reader, parameters) && CheckParameters(reader, parameters, filter);
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

// The gains in dB the page of EQ block 0..17 edits: the field table's kind of its bands'
// gain bytes.
struct SGainRange {
    double m_dMin = -kGainFloorDb;
    double m_dMax = kGainFloorDb;
};
SGainRange BandGainRange(int nBlock) {
    const SEqBlock block = EqBlock(nBlock, 1);
    const SField* pGain = FieldAt(EArea::Image, block.m_nFirst + band::kGain);
    if (block.m_nBands == 0 || pGain == nullptr) {
        return {};
    }
    const SFieldKind& kind = FieldKind(pGain->m_eKind);
    return {GainDbOfRaw(kind.m_nMin), GainDbOfRaw(kind.m_nMax)};
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

} // namespace

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
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
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
        if (filter.m_nType != ftype::kBypass) {
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
    if (filters.empty()) {
        error = "the list holds no filter; nothing imported";
        return false;
    }
    if (nOn > block.m_nBands) {
        error = Printf("%d filters for the %d bands of this equaliser; nothing imported",
                       static_cast<int>(nOn), block.m_nBands);
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
    r.m_total = LargestDifference(asked, played);
    lines += "Largest difference of the whole list: " + ClosenessText(r.m_total) + "\n";
    r.m_strReport = std::move(lines);
    result = std::move(r);
    return true;
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
