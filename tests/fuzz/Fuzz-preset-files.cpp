// The two file imports on files of any content and length. A file too short for its
// format must change nothing; an all-modes file that was imported exports to the same
// bytes (with the store-valid flag set). The same file read for inspection: taken exactly
// when it has one of the two sizes; every field of it decodes, it equals itself, and with
// one byte flipped it differs in exactly the fields of that byte.
#include "FuzzSupport.h"

#include "link/DeviceLink.h"
#include "link/PresetCompare.h"
#include "link/PresetFiles.h"
#include "model/Command.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A private folder for the files of one run, removed when the fuzzer exits. Kept in a
// plain array: it must outlive every other static until the exit handler has run.
char g_szFolder[] = "/tmp/zolt-fuzz-files-XXXXXX";

std::string Folder() {
    static const bool s_bMade = [] {
        if (::mkdtemp(g_szFolder) == nullptr) {
            __builtin_trap();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(g_szFolder, ignored);
        });
        return true;
    }();
    static_cast<void>(s_bMade);
    return g_szFolder;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The input's bytes repeated to the chosen size: the format size, one byte short, one
// byte over, or the input as it is.
Bytes Sized(zolt::fuzz::CInput& in, std::size_t formatSize) {
    const std::uint8_t rule = in.Byte() % 4;
    Bytes content(in.Rest(), in.Rest() + in.Left());
    const std::size_t size = rule == 0   ? formatSize
                             : rule == 1 ? formatSize - 1
                             : rule == 2 ? formatSize + 1
                                         : content.size();
    Bytes file(size);
    for (std::size_t i = 0; i < size; ++i) {
        file[i] = content.empty() ? static_cast<std::uint8_t>(i) : content[i % content.size()];
    }
    return file;
}

bool SameData(const zolt::SDeviceData& before) {
    return std::memcmp(&before, &zolt::g_data, sizeof before) == 0;
}

void CheckInspection(const std::string& path, const Bytes& bytes, std::size_t flip) {
    using namespace zolt;
    SPresetFile file;
    std::string error;
    const bool read = ReadPresetFile(path, file, error);
    if (read != (bytes.size() == kOneModeFileSize || bytes.size() == kAllModesFileSize)) {
        __builtin_trap();
    }
    if (!read) {
        return;
    }
    std::vector<SFieldDifference> differences;
    if (!ComparePresets(file, file, differences, error) || !differences.empty()) {
        __builtin_trap();
    }
    SPresetFile flipped = file;
    const std::size_t at = flip % (flipped.m_abBytes.size() - (file.m_bAllModes ? 1 : 0));
    flipped.m_abBytes[at] ^= 0xFF;
    if (!ComparePresets(file, flipped, differences, error) || differences.empty()) {
        __builtin_trap();
    }
    for (const SFieldDifference& difference : differences) {
        const std::uint8_t* area = AreaOf(file, difference);
        const auto offset = static_cast<std::size_t>(file.m_abBytes.data() + at - area);
        const SField& field = *difference.m_pField;
        if (offset < field.m_nOffset || offset >= field.m_nOffset + field.m_nWidth ||
            DifferenceText(difference, file, flipped).empty()) {
            __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolt;
    static fuzz::CQuietSink sink;
    SetNotifySink(&sink);
    ResetProcessData();
    fuzz::CInput in(data, size);
    const std::uint8_t choice = in.Byte();
    g_flags.m_bOnline = (choice & 0x02) != 0;
    g_flags.m_nLanguage = (choice >> 2) & 1;
    const bool allModes = (choice & 0x01) != 0;
    const std::size_t formatSize = allModes ? kAllModesFileSize : kOneModeFileSize;
    const std::size_t flip = in.Word();
    const Bytes file = Sized(in, formatSize);
    const std::string path = Folder() + (allModes ? "/input.dat" : "/input.dia");
    WriteFile(path, file);
    CheckInspection(path, file, flip * 7);

    static SDeviceData before;
    std::memcpy(&before, &g_data, sizeof before);
    CDeviceLink link;
    const bool imported = allModes ? ImportAllModes(path, link) : ImportOneMode(path, link);
    if (imported != (file.size() >= formatSize)) {
        __builtin_trap();
    }
    if (!imported && !SameData(before)) {
        __builtin_trap(); // a rejected file changed the program's data
    }
    if (imported && allModes) {
        const std::string copy = Folder() + "/copy";
        if (!ExportAllModes(copy)) {
            __builtin_trap();
        }
        Bytes expected(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(formatSize));
        expected.back() = 1;
        if (ReadFile(copy + ".dat") != expected) {
            __builtin_trap();
        }
    }
    return 0;
}
