// What the eq layer's text readers share (filter lists, measured responses): lines
// trimmed, decimal numbers as people write them (a comma may be the decimal point), and
// pieces of a line quoted safely in a message. Pure functions, any thread.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zolt {

// The text without the spaces, tabs and carriage returns at either end.
std::string_view Trimmed(std::string_view text);

// Takes the next line off text (up to a line feed, which is dropped): the line trimmed.
std::string_view TakeLine(std::string_view& text);

// A finite decimal number at the start of token ("-5.0", "+3", "63", "1e3", and "-5,0"
// with a comma for the decimal point); the rest of the token (an attached unit) goes to
// suffix. False for anything else ("+-1", "nan", "inf", "1,000.5").
bool ParseDecimal(std::string_view token, double& value, std::string_view& suffix);

// A piece of the text fit to quote in a message: printable, at most 24 characters.
std::string Quoted(std::string_view text);

// printf into a string of at most 160 bytes, for the one-line messages and reports.
template <class... TValues> std::string Printf(const char* format, TValues... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace zolt
