#include "Dump.h"

#include "link/PresetFiles.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

using CJson = nlohmann::ordered_json;

// The document: text as printable UTF-8 (what does not print is escaped before), numbers
// as written in the text dump, objects in the order of the fields.
CJson JsonOf(const SDumpNode& node) {
    switch (node.m_eKind) {
    case EKind::Text:
        return PrintableText(node.m_strValue);
    case EKind::Number:
        if (node.m_strValue.find('.') == std::string::npos) {
            return std::strtoll(node.m_strValue.c_str(), nullptr, 10);
        }
        return std::strtod(node.m_strValue.c_str(), nullptr);
    case EKind::List: {
        CJson list = CJson::array();
        for (const SDumpNode& item : node.m_aItems) {
            list.push_back(JsonOf(item));
        }
        return list;
    }
    case EKind::Object:
    case EKind::Value:
        break;
    }
    CJson object = CJson::object();
    for (const SDumpNode& item : node.m_aItems) {
        object[PrintableText(item.m_strKey)] = JsonOf(item);
    }
    return object;
}

std::string Scalar(const CJson& value) {
    return value.dump(-1, ' ', false, CJson::error_handler_t::replace);
}

// Two spaces per level, one member per line, except that an object of scalars (a field's
// value, unit and raw bytes) stays on one line.
void WriteJson(const CJson& value, std::ostream& out, const std::string& indent) {
    if (!value.is_structured()) {
        out << Scalar(value);
        return;
    }
    const bool list = value.is_array();
    const bool inline_ = !list && std::none_of(value.begin(), value.end(),
                                               [](const CJson& v) { return v.is_structured(); });
    const std::string inner = indent + "  ";
    out << (list ? '[' : '{');
    const char* separator = inline_ ? "" : "\n";
    for (const auto& [key, item] : value.items()) {
        out << separator << (inline_ ? "" : inner);
        if (!list) {
            out << Scalar(key) << ": ";
        }
        WriteJson(item, out, inner);
        separator = inline_ ? ", " : ",\n";
    }
    if (!inline_ && !value.empty()) {
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
    WriteJson(JsonOf(root), out, "");
    out << '\n';
}

} // namespace zolt::ctl
