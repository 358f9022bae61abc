// zoltctl dump: a preset file as readable text or JSON, every field of its system block and
// of each mode by name, in physical units. The same nodes and printers serve the comparison
// of presets (diff, --verify).
#pragma once

#include "model/Fields.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace zolt {
struct SPresetFile;
}

namespace zolt::ctl {

// A described value: a scalar (text or number), an object (named items), a list, or a
// field's value (an object of scalars that text shows as one display string).
struct SDumpNode {
    enum class EKind { Text, Number, Object, List, Value };
    std::string m_strKey;
    EKind m_eKind = EKind::Object;
    std::string m_strValue; // Text, Number; Value: the display text
    std::vector<SDumpNode> m_aItems;

    SDumpNode& Add(std::string key, EKind kind = EKind::Object);
    void Text(std::string key, std::string value);
    void Number(std::string key, double value, int decimals = 0);
    // The value of field in area: text shows "key: 1000 Hz"; JSON shows
    // "key": {"value": 1000, "unit": "Hz", "raw": "CC 00"}.
    void Field(std::string key, const SField& field, const std::uint8_t* area);
};

// Describes a preset file: its kind, the system block, each mode's fields block by block.
SDumpNode DescribePreset(const SPresetFile& file);
// Reads and describes a file; false with a reason when it is no preset file.
bool DescribeFile(const std::string& path, SDumpNode& root, std::string& error);

// Text escapes what does not print (names and passwords may hold any byte); JSON is
// always valid UTF-8.
void PrintText(const SDumpNode& root, std::ostream& out);
void PrintJson(const SDumpNode& root, std::ostream& out);

} // namespace zolt::ctl
