#include "Dump.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <cstdio>

namespace zolt::ctl {

namespace {

using EKind = SDumpNode::EKind;

// The fields of area as objects per block (the system block: one object of its fields).
void DescribeArea(SDumpNode& node, EArea area, const std::uint8_t* bytes) {
    SDumpNode* block = &node;
    int group = -1;
    for (const SField& field : Fields(area)) {
        if (area == EArea::Image && field.m_nGroup != group) {
            group = field.m_nGroup;
            block = &node.Add(FieldGroups()[field.m_nGroup].Name());
        }
        block->Field(field.Name(), field, bytes);
    }
}

// JSON string contents: valid UTF-8 whatever the bytes were; what does not print is escaped
// before, so only quotes and backslashes need a JSON escape.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : PrintableText(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

bool AllScalars(const SDumpNode& node) {
    for (const SDumpNode& item : node.m_aItems) {
        if (item.m_eKind == EKind::Object || item.m_eKind == EKind::List) {
            return false;
        }
    }
    return true;
}

void PrintTextNode(const SDumpNode& node, std::ostream& out, const std::string& indent) {
    for (const SDumpNode& item : node.m_aItems) {
        const std::string key = PrintableText(item.m_strKey);
        if (item.m_eKind == EKind::Text || item.m_eKind == EKind::Number ||
            item.m_eKind == EKind::Value) {
            out << indent << key << ": " << PrintableText(item.m_strValue) << '\n';
        } else if (node.m_eKind == EKind::List && AllScalars(item)) {
            out << indent << "-";
            const char* separator = " ";
            for (const SDumpNode& field : item.m_aItems) {
                out << separator << PrintableText(field.m_strKey) << " "
                    << PrintableText(field.m_strValue);
                separator = ", ";
            }
            out << '\n';
        } else {
            out << indent << (node.m_eKind == EKind::List ? "-" : key + ":") << '\n';
            PrintTextNode(item, out, indent + "  ");
        }
    }
}

void PrintJsonNode(const SDumpNode& node, std::ostream& out, const std::string& indent) {
    switch (node.m_eKind) {
    case EKind::Text:
        out << '"' << Escaped(node.m_strValue) << '"';
        return;
    case EKind::Number:
        out << node.m_strValue;
        return;
    case EKind::Value: {
        const char* separator = "{";
        for (const SDumpNode& item : node.m_aItems) {
            out << separator << '"' << Escaped(item.m_strKey) << "\": ";
            PrintJsonNode(item, out, indent);
            separator = ", ";
        }
        out << '}';
        return;
    }
    case EKind::Object:
    case EKind::List:
        break;
    }
    const bool list = node.m_eKind == EKind::List;
    out << (list ? '[' : '{');
    const std::string inner = indent + "  ";
    for (std::size_t i = 0; i < node.m_aItems.size(); ++i) {
        out << (i == 0 ? "\n" : ",\n") << inner;
        if (!list) {
            out << '"' << Escaped(node.m_aItems[i].m_strKey) << "\": ";
        }
        PrintJsonNode(node.m_aItems[i], out, inner);
    }
    if (!node.m_aItems.empty()) {
        out << '\n' << indent;
    }
    out << (list ? ']' : '}');
}

} // namespace

SDumpNode& SDumpNode::Add(std::string key, EKind kind) {
    m_aItems.push_back({std::move(key), kind, {}, {}});
    return m_aItems.back();
}

void SDumpNode::Text(std::string key, std::string value) {
    m_aItems.push_back({std::move(key), EKind::Text, std::move(value), {}});
}

void SDumpNode::Number(std::string key, double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    m_aItems.push_back({std::move(key), EKind::Number, text, {}});
}

void SDumpNode::Field(std::string key, const SField& field, const std::uint8_t* area) {
    const SFieldValue value = ReadField(field, area);
    SDumpNode node{std::move(key), EKind::Value, value.Display(), {}};
    if (value.m_bNumber) {
        node.Number("value", value.m_dNumber, value.m_nDecimals);
    } else {
        node.Text("value", value.m_strText);
    }
    node.Text("unit", value.m_strUnit);
    node.Text("raw", RawBytesText(field, area));
    m_aItems.push_back(std::move(node));
}

SDumpNode DescribePreset(const SPresetFile& file) {
    SDumpNode root;
    root.Text("kind", file.m_bAllModes ? "all modes" : "one mode");
    DescribeArea(root.Add("system"), EArea::System, file.System());
    SDumpNode& modes = root.Add("modes", EKind::List);
    const int first = file.m_bAllModes ? 1 : 0;
    const int last = file.m_bAllModes ? static_cast<int>(kModeCount) : 0;
    for (int n = first; n <= last; ++n) {
        SDumpNode& mode = modes.Add("");
        if (n > 0) {
            mode.Number("mode", n);
        }
        DescribeArea(mode, EArea::Image, file.ImageOf(n));
    }
    if (file.m_bAllModes) {
        root.Number("store valid", file.m_abBytes.back());
    }
    return root;
}

bool DescribeFile(const std::string& path, SDumpNode& root, std::string& error) {
    SPresetFile file;
    if (!ReadPresetFile(path, file, error)) {
        return false;
    }
    root = DescribePreset(file);
    root.m_aItems.insert(root.m_aItems.begin(), {"file", EKind::Text, path, {}});
    return true;
}

void PrintText(const SDumpNode& root, std::ostream& out) {
    PrintTextNode(root, out, "");
}

void PrintJson(const SDumpNode& root, std::ostream& out) {
    PrintJsonNode(root, out, "");
    out << '\n';
}

} // namespace zolt::ctl
