// Filter lists of any content imported into any EQ block. A refused list must leave the
// image untouched; an accepted one must export to a list that imports to the same bands.
#include "FuzzSupport.h"

#include "eq/FilterList.h"
#include "model/Layout.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

using Image = std::array<std::uint8_t, zolt::kImageSize>;

// Every byte 60..180: the bands the list leaves (bypassed, their values kept) hold gains
// every page edits, which an import keeps as they are.
Image PatternImage(std::uint8_t outputMode) {
    Image image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(60 + (i * 7 + 3) % 121);
    }
    image[zolt::image::kOutputMode] = outputMode;
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolt;
    fuzz::CInput in(data, size);
    const std::uint8_t choice = in.Byte();
    const int block = choice % (kEqBlockCount + 1); // one number past the last block
    const Image before = PatternImage(static_cast<std::uint8_t>(choice >> 6));
    const std::string_view text(reinterpret_cast<const char*>(in.Rest()), in.Left());

    Image image = before;
    SImportResult result;
    std::string error;
    if (!ImportFilterList(text, block, image.data(), result, error)) {
        if (image != before || error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    const std::string list = ExportFilterList(block, image.data());
    Image again = PatternImage(before[image::kOutputMode]);
    if (!ImportFilterList(list, block, again.data(), result, error) ||
        ExportFilterList(block, again.data()) != list) {
        __builtin_trap();
    }
    return 0;
}
