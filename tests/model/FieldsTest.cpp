#include "model/Fields.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

namespace zolt {
namespace {

std::size_t AreaSize(EArea area) {
    return area == EArea::Image ? kImageSize : kSystemSize;
}

// The bits field owns in the byte at offset (0 when it does not cover that byte).
std::uint8_t BitsOf(const SField& field, std::size_t offset) {
    if (offset < field.m_nOffset || offset >= field.m_nOffset + field.m_nWidth) {
        return 0;
    }
    return field.m_nWidth == 1 ? field.m_nMask : 0xFF;
}

TEST(Fields, EveryBitOfImageAndSystemBlockBelongsToExactlyOneField) {
    for (const EArea area : {EArea::Image, EArea::System}) {
        std::vector<std::array<int, 8>> owners(AreaSize(area), std::array<int, 8>{});
        for (const SField& field : Fields(area)) {
            ASSERT_EQ(field.m_eArea, area);
            ASSERT_LE(field.m_nOffset + field.m_nWidth, AreaSize(area)) << field.Name();
            for (std::size_t b = field.m_nOffset; b < field.m_nOffset + field.m_nWidth; ++b) {
                for (int bit = 0; bit < 8; ++bit) {
                    owners[b][bit] += (BitsOf(field, b) >> bit) & 1;
                }
            }
        }
        for (std::size_t offset = 0; offset < AreaSize(area); ++offset) {
            for (int bit = 0; bit < 8; ++bit) {
                EXPECT_EQ(owners[offset][bit], 1) << (area == EArea::Image ? "image" : "system")
                                                  << " byte " << offset << " bit " << bit;
            }
            const SField* field = FieldAt(area, offset);
            ASSERT_NE(field, nullptr);
            EXPECT_NE(BitsOf(*field, offset), 0) << offset;
        }
        EXPECT_EQ(FieldAt(area, AreaSize(area)), nullptr);
    }
}

TEST(Fields, NamesAreUniqueInBothLanguagesAndEveryGroupHasFields) {
    std::vector<int> perGroup(FieldGroups().size());
    for (const EArea area : {EArea::Image, EArea::System}) {
        for (const int language : {0, 1}) {
            std::set<std::string> names;
            for (const SField& field : Fields(area)) {
                EXPECT_FALSE(field.Name(language).empty()) << field.m_nOffset;
                EXPECT_TRUE(names.insert(field.Name(language)).second) << field.Name(language);
                perGroup.at(field.m_nGroup) += language == 0 ? 1 : 0;
            }
        }
    }
    for (std::size_t g = 0; g < perGroup.size(); ++g) {
        EXPECT_GT(perGroup[g], 0) << FieldGroups()[g].Name();
    }
}

TEST(Fields, FieldsAreNamedAsAPersonNamesThem) {
    struct {
        EArea area;
        std::size_t offset;
        std::uint8_t bits;
        const char* english;
        const char* chinese;
        const char* group;
    } const cases[] = {
        {EArea::Image, image::kMic12 + mic::kBands + 2 * band::kSize + band::kGain, 0xFF,
         "Mic 1&2 EQ band 3 gain", "话筒1&2 均衡段3 增益", "Mic 1&2"},
        {EArea::Image, OutputSetOffset(2) + output::kSize + output::kDelay + 1, 0xFF,
         "Out 3 delay (set 2)", "输出3 延时 (组2)", "Output set 2"},
        {EArea::Image, image::kEchoA + effect::kRepeat, 0xFF, "Echo A repeat", "回声A 重复",
         "Echo A"},
        {EArea::Image, image::kReverb + effect::kReverbTime, 0xFF, "Reverb time", "混响 时间",
         "Reverb"},
        {EArea::Image, image::kMusicRight + music::kDynamicBands + deq::kSize + deq::kRatio, 0xFF,
         "Music Right dynamic EQ band 2 ratio", "音乐右 动态均衡段2 压缩比例", "Music Right"},
        {EArea::Image, OutputSetOffset(1) + 5 * output::kSize + output::kMix + 3, 0xFF,
         "Out 1 Mic polarity (set 1)", "输出1 话筒 极性 (组1)", "Output set 1"},
        {EArea::Image, image::kMic12 + mic::kReserved, 0xFF, "reserved byte 390", "保留字节390",
         "Mic 1&2"},
        {EArea::Image, 7, 0xFF, "Mode name", "模式名称", "Mode"},
        {EArea::Image, image::kLoadSum, 0xFF, "Load sum", "装载校验和", "Mode"},
        {EArea::System, sysblock::kMusicMax, 0xFF, "Music max volume", "音乐最大音量", "System"},
        {EArea::System, sysblock::kMusicVolume, 0x80, "Music mute", "音乐静音", "System"},
        {EArea::System, sysblock::kMusicVolume, 0x01, "Music volume", "音乐音量", "System"},
        {EArea::System, sysblock::kSensPitch, 0xF0, "Music pitch", "音乐变调", "System"},
        {EArea::System, sysblock::kSensPitch, 0xFF, "Input sensitivity", "输入灵敏度", "System"},
        {EArea::System, 65, 0xFF, "reserved system byte 65", "保留系统字节65", "System"},
    };
    for (const auto& c : cases) {
        const SField* field = FieldAt(c.area, c.offset, c.bits);
        ASSERT_NE(field, nullptr) << c.english;
        EXPECT_EQ(field->Name(0), c.english);
        EXPECT_EQ(field->Name(1), c.chinese);
        EXPECT_EQ(FieldGroups()[field->m_nGroup].Name(), c.group);
    }
}

// A copy of an area holding raw at field.
std::vector<std::uint8_t> With(const SField& field, std::uint32_t raw) {
    std::vector<std::uint8_t> area(AreaSize(field.m_eArea));
    if (field.m_nWidth == 2) {
        SetU16(area.data() + field.m_nOffset, static_cast<std::uint16_t>(raw));
    } else {
        int shift = 0;
        while (((field.m_nMask >> shift) & 1) == 0) {
            ++shift;
        }
        area[field.m_nOffset] = static_cast<std::uint8_t>(raw << shift);
    }
    return area;
}

const SField& Named(EArea area, const std::string& name) {
    for (const SField& field : Fields(area)) {
        if (field.Name() == name) {
            return field;
        }
    }
    throw std::runtime_error("no field " + name);
}

TEST(Fields, PhysicalValuesRoundTripThroughTheValueTables) {
    int checked = 0;
    for (const SField& field : Fields(EArea::Image)) {
        switch (field.m_eKind) {
        case EFieldKind::Frequency:
        case EFieldKind::BandFrequency:
            for (int raw = 0; raw < kFreqCount; ++raw) {
                const SFieldValue value = ReadField(field, With(field, raw).data());
                ASSERT_TRUE(value.m_bNumber);
                ASSERT_EQ(IndexOfFreq(value.m_dNumber), raw) << field.Name();
                ASSERT_EQ(value.m_strText, FreqTextByValue(FreqOfIndex(raw)));
                ASSERT_EQ(value.m_strUnit, "Hz");
            }
            ++checked;
            break;
        case EFieldKind::Gain:
        case EFieldKind::DynamicGain:
            for (int raw = 0; raw <= kGainRawMax; ++raw) {
                const SFieldValue value = ReadField(field, With(field, raw).data());
                ASSERT_EQ(RawOfGainDb(value.m_dNumber), raw) << field.Name();
                ASSERT_EQ(RawOfGainDb(std::stod(value.m_strText)), raw) << field.Name();
            }
            ++checked;
            break;
        case EFieldKind::Q:
            for (int raw = 0; raw < kQCount; ++raw) {
                const SFieldValue value = ReadField(field, With(field, raw).data());
                ASSERT_EQ(IndexOfQ(value.m_dNumber), raw) << field.Name();
                ASSERT_EQ(IndexOfQ(std::stod(value.m_strText)), raw) << field.Name();
            }
            ++checked;
            break;
        case EFieldKind::Attack:
        case EFieldKind::Release:
        case EFieldKind::Ratio: {
            const ELabelTable table = field.m_eKind == EFieldKind::Attack    ? ELabelTable::Attack
                                      : field.m_eKind == EFieldKind::Release ? ELabelTable::Release
                                                                             : ELabelTable::Ratio;
            for (int raw = 0; raw < LabelCount(table); ++raw) {
                const SFieldValue value = ReadField(field, With(field, raw).data());
                ASSERT_EQ(value.m_strText, LabelText(table, raw)) << field.Name();
                ASSERT_EQ(value.m_bNumber, table != ELabelTable::Release);
            }
            ++checked;
            break;
        }
        default:
            break;
        }
    }
    EXPECT_GT(checked, 900); // every band, crossover, exciter and dynamics field of the image
}

TEST(Fields, ValuesReadInTheirUnitsAndOutOfRangeValuesShowTheirNumber) {
    struct {
        EArea area;
        const char* name;
        std::uint32_t raw;
        const char* display;
    } const cases[] = {
        {EArea::Image, "Mic 1&2 level", 20, "0.0 dB"},
        {EArea::Image, "Mic 3&4 noise gate threshold", 0, "OFF"},
        {EArea::Image, "Mic 3&4 noise gate threshold", 60, "-18 dBV"},
        {EArea::Image, "Music Left limiter level", 34, "12 dBV"},
        {EArea::Image, "Music Left dynamic EQ band 1 threshold", 0, "-48 dBV"},
        {EArea::Image, "Echo B right delay", 0, "-50 %"},
        {EArea::Image, "Echo B delay", 5000, "500.0 ms"},
        {EArea::Image, "Out 4 delay (set 3)", 1500, "150.0 ms"},
        {EArea::Image, "Reverb HPF slope", 9, "24dBLink-Riley"},
        {EArea::Image, "Echo A EQ band 7 type", 3, "HS"},
        {EArea::Image, "Mic 1&2 EQ band 1 Q", 10, "0.71"},
        {EArea::Image, "Mic 1&2 limiter attack time", 0, "0.5 ms"},
        {EArea::Image, "Mic 1&2 feedback", 3, "FB.EX3"},
        {EArea::Image, "Output mode", 2, "Disco"},
        {EArea::Image, "Music Left EQ band 1 frequency", 362, "(362)"},
        {EArea::Image, "Music Left EQ band 1 gain", 241, "(241)"},
        {EArea::Image, "Mic 1&2 limiter ratio", 41, "(41)"},
        {EArea::Image, "Echo A LPF kind", 2, "(2)"},
        {EArea::System, "Music pitch", 5, "-2"},
        {EArea::System, "Input sensitivity", 10, "(10)"},
        {EArea::System, "AUX input gain", 40, "10.0 dB"},
        {EArea::System, "Effect mute", 1, "ON"},
        {EArea::System, "Music input", 2, "AUX"},
    };
    for (const auto& c : cases) {
        const SField& field = Named(c.area, c.name);
        EXPECT_EQ(ReadField(field, With(field, c.raw).data()).Display(), c.display) << c.name;
    }

    std::vector<std::uint8_t> system(kSystemSize, 0);
    std::memcpy(system.data() + sysblock::kSystemCode, "12\n456", 6);
    const SField& code = Named(EArea::System, "System password");
    EXPECT_EQ(ReadField(code, system.data()).m_strText, "12\n456");
    EXPECT_EQ(RawBytesText(code, system.data()), "31 32 0A 34 35 36");
}

TEST(Fields, DescriptionsNameTheFieldAndWhatItsControlOffers) {
    struct {
        EArea area;
        const char* name;
        EFieldKind kind; // as the control edits it
        int language;
        const char* description;
    } const cases[] = {
        {EArea::Image, "Mic 1&2 EQ band 3 gain", EFieldKind::Gain, 0,
         "Mic 1&2 EQ band 3 gain, \u221224…+12 dB"},
        {EArea::Image, "Music Left dynamic EQ band 1 gain", EFieldKind::DynamicGain, 0,
         "Music Left dynamic EQ band 1 gain, \u221212…+12 dB"},
        {EArea::Image, "Echo B delay", EFieldKind::EchoDelay, 0, "Echo B delay, 0…500 ms"},
        {EArea::Image, "Mic 3&4 noise gate threshold", EFieldKind::GateThreshold, 0,
         "Mic 3&4 noise gate threshold, OFF…\u221218 dBV"},
        {EArea::Image, "Music Left EQ band 1 frequency", EFieldKind::BandFrequency, 0,
         "Music Left EQ band 1 frequency, 19.7…20600 Hz"},
        {EArea::Image, "Echo A EQ band 7 type", EFieldKind::BandType, 0,
         "Echo A EQ band 7 type: BY / P / LS / HS"},
        {EArea::Image, "Output mode", EFieldKind::OutputMode, 0,
         "Output mode: Auto / Sing / Disco / Decode"},
        {EArea::Image, "Mode name", EFieldKind::Text, 0, "Mode name"},
        {EArea::System, "Music pitch", EFieldKind::Pitch, 0, "Music pitch, \u22127…+7"},
    };
    for (const auto& c : cases) {
        const SField& field = Named(c.area, c.name);
        EXPECT_EQ(FieldDescription(field, FieldKind(c.kind), c.language), c.description);
    }
    const SField& gain = Named(EArea::Image, "Mic 1&2 EQ band 3 gain");
    EXPECT_EQ(FieldDescription(gain, FieldKind(EFieldKind::Gain), 1),
              gain.Name(1) + "，\u221224…+12 dB");
}

TEST(Fields, ComparingNamesOnlyTheFieldsWhoseBitsDiffer) {
    std::vector<std::uint8_t> a(kImageSize, 0);
    std::vector<std::uint8_t> b = a;
    b[image::kMusicLeft + music::kBands + band::kFreq + 1] = 1; // high byte of a frequency
    b[image::kLoadSum] = 9;
    std::vector<SFieldDifference> differences;
    CompareArea(EArea::Image, 4, a.data(), b.data(), differences);
    ASSERT_EQ(differences.size(), 2u);
    EXPECT_EQ(differences[0].m_nMode, 4);
    EXPECT_EQ(differences[0].m_pField->Name(), "Load sum"); // the Mode block comes first
    EXPECT_EQ(differences[1].m_pField->Name(), "Music Left EQ band 1 frequency");

    std::vector<std::uint8_t> s(kSystemSize, 0x10);
    std::vector<std::uint8_t> t = s;
    t[sysblock::kMicVolume] = 0x90; // the mute bit only
    differences.clear();
    CompareArea(EArea::System, 0, s.data(), t.data(), differences);
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].m_pField->Name(), "Mic mute");
    differences.clear();
    CompareArea(EArea::System, 0, s.data(), s.data(), differences);
    EXPECT_TRUE(differences.empty());
}

TEST(PrintableText, KeepsPrintableUtf8AndEscapesEverythingElse) {
    EXPECT_EQ(PrintableText("Sim mode 1"), "Sim mode 1");
    EXPECT_EQ(PrintableText("话筒 KTV"), "话筒 KTV");
    EXPECT_EQ(PrintableText("a\nb\x1b[31m"), "a\\x0Ab\\x1B[31m");
    EXPECT_EQ(PrintableText("back\\slash"), "back\\\\slash");
    EXPECT_EQ(PrintableText("\x7f"), "\\x7F");
    EXPECT_EQ(PrintableText("\xc2\x85"), "\\xC2\\x85");                   // a C1 control
    EXPECT_EQ(PrintableText("\xc4\xe3\xba\xc3"), "\\xC4\\xE3\\xBA\\xC3"); // GBK, not UTF-8
    EXPECT_EQ(PrintableText("\xe8\xaf"), "\\xE8\\xAF");                   // a cut sequence
    EXPECT_EQ(PrintableText("\xc0\xaf"), "\\xC0\\xAF");                   // an overlong "/"
    EXPECT_EQ(PrintableText("\xed\xa0\x80"), "\\xED\\xA0\\x80");          // a surrogate
    EXPECT_EQ(PrintableText(std::string_view("a\0b", 3)), "a\\x00b");
}

} // namespace
} // namespace zolt
