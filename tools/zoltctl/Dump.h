// zoltctl dump: a preset file as readable text or JSON: the system-block fields and, for
// each mode, its name and main parameters in physical units.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace zolt::ctl {

// A described value: a scalar (text or number), an object (named fields) or a list.
struct SDumpNode {
    enum class EKind { Text, Number, Object, List };
    std::string m_strKey;
    EKind m_eKind = EKind::Object;
    std::string m_strValue; // Text and Number
    std::vector<SDumpNode> m_aItems;

    SDumpNode& Add(std::string key, EKind kind = EKind::Object);
    void Text(std::string key, std::string value);
    void Number(std::string key, double value, int decimals = 0);
};

// Describes a one-mode file (2778 bytes, .dia) or an all-modes file (57019 bytes, .dat);
// the extension decides, else the size. False with a reason when it is neither.
bool DescribeFile(const std::string& path, SDumpNode& root, std::string& error);
// Describes the bytes of such a file directly (for tests).
SDumpNode DescribeOneMode(const std::vector<std::uint8_t>& bytes);
SDumpNode DescribeAllModes(const std::vector<std::uint8_t>& bytes);

void PrintText(const SDumpNode& root, std::ostream& out);
void PrintJson(const SDumpNode& root, std::ostream& out);

} // namespace zolt::ctl
