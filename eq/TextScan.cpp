#include "eq/TextScan.h"

#include <charconv>
#include <cmath>

namespace zolt {

namespace {

constexpr std::string_view kSpaces = " \t\r\v\f";

} // namespace

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return line;
}

bool ParseDecimal(std::string_view token, double& value, std::string_view& suffix) {
    if (token.starts_with('+')) {
        token.remove_prefix(1);
        if (token.starts_with('-') || token.starts_with('+')) {
            return false;
        }
    }
    // from_chars reads a point only: a comma becomes one when the token has no point.
    std::string number(token.substr(0, 64));
    const std::size_t comma = number.find(',');
    if (comma != std::string::npos && number.find('.') == std::string::npos) {
        number[comma] = '.';
    }
    const char* first = number.data();
    const auto [end, ec] = std::from_chars(first, first + number.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) {
        return false;
    }
    suffix = token.substr(static_cast<std::size_t>(end - first));
    return true;
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kMax = 24;
    std::string out = "\"";
    for (const char c : text.substr(0, kMax)) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    return out + (text.size() > kMax ? "...\"" : "\"");
}

} // namespace zolt
