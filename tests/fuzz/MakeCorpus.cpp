// Writes the seed corpus of the fuzz harnesses: inputs in each harness's own encoding whose
// contents come from this program's code. The simulated processor answers the host's
// frames, the preset export writes the files and the filter-list export writes the lists,
// so each seed starts the fuzzer on a valid shape. Usage: make-fuzz-corpus DIR (the corpus
// folder, one subfolder per harness). Rerun it when an encoding changes and commit the result.
#include "FuzzSupport.h"

#include "eq/FilterList.h"
#include "link/Command.h"
#include "link/PresetFiles.h"
#include "model/Command.h"
#include "sim/SimProcessor.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace zolt;
using Bytes = std::vector<std::uint8_t>;

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes Append(Bytes bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// What the simulated processor sends back for a host frame.
Bytes Answer(sim::CSimProcessor& processor, std::uint8_t command, std::uint8_t parameter) {
    sim::CFrameReader reader;
    for (const std::uint8_t byte : sim::MakeFrame(command, parameter)) {
        if (auto frame = reader.Push(byte)) {
            return processor.Handle(*frame);
        }
    }
    return {};
}

// The assembler harness, raw mode: mode, the command in flight, its parameter and flags,
// the bytes on the line, then as many bytes again that cut them into chunks of 1 + 16 n.
Bytes RawReceive(std::uint8_t mode, std::uint8_t command, std::uint8_t parameter,
                 std::uint8_t flags, const Bytes& line, std::uint8_t chunk) {
    Bytes input{mode, command, parameter, flags};
    input = Append(input, line);
    input.insert(input.end(), line.size(), chunk);
    return input;
}

void AssemblerSeeds(const std::filesystem::path& folder) {
    constexpr std::uint8_t kReceiveStep = 0x00;
    constexpr std::uint8_t kAssemble = 0x02;
    constexpr std::uint8_t kDescribed = 0x01;
    constexpr std::uint8_t kSystemPage = 0x08;
    constexpr std::uint8_t kBulk = 0x01;
    constexpr std::uint8_t kWholeChunk = 0xFF;
    sim::CSimProcessor processor;
    Write(folder, "probe-answer",
          RawReceive(kReceiveStep, cmd::kProbe, 0, 0, Answer(processor, cmd::kProbe, 0),
                     kWholeChunk));
    const Bytes meters =
        Append(Answer(processor, cmd::kLevelPoll, 1), Answer(processor, cmd::kStatePoll, 1));
    Write(folder, "meter-answers",
          RawReceive(kReceiveStep | kSystemPage, cmd::kLevelPoll, 1, 0, meters, 0));
    Write(folder, "mode-read-in-chunks",
          RawReceive(kReceiveStep, cmd::kReadMode, 1, kBulk, Answer(processor, cmd::kReadMode, 1),
                     0x04));
    const Bytes names =
        Append(Answer(processor, cmd::kReadName, 3), Answer(processor, cmd::kReadSystem, 0));
    Write(folder, "name-and-system", RawReceive(kAssemble, cmd::kReadName, 3, 0, names, 0x01));

    sim::SSimFaults noisy;
    noisy.m_nNoiseBytes = 3;
    noisy.m_nBadSumEvery = 2;
    sim::CSimProcessor faulty(noisy);
    const Bytes faults = Append(Answer(faulty, cmd::kRecall, 2), Answer(faulty, cmd::kProbe, 0));
    Write(folder, "noise-and-bad-sum",
          RawReceive(kReceiveStep, cmd::kRecall, 2, 0x02, faults, kWholeChunk));

    // Described frames: a noise choice (non-zero: none), a reply pick (its index in the
    // harness's list), the parameter, the length rule (0: the reply's own length), the sum
    // rule (non-zero: a right sum), then the body.
    Bytes described{kDescribed, cmd::kReadName, 0, 0};
    described = Append(described, {0x01, 0x04, 0, 0x00, 0x01}); // reply 128, mode 0's name
    const std::string name = "Song                ";
    described.insert(described.end(), name.begin(), name.end());
    described = Append(described, {0x01, 0x01, 1, 0x00, 0x01}); // reply 12, level meters
    described = Append(described, Bytes(12, 0x40));
    Write(folder, "described-frames", described);
}

// The preset-files harness: the choice (bit 0 all modes, bit 1 on line, bit 2 Chinese),
// the byte to flip (u16), the size rule (0 the format's size, 1 a byte short, 2 a byte
// over), then the content, repeated up to the size.
Bytes PresetInput(std::uint8_t choice, std::uint16_t flip, std::uint8_t rule,
                  const Bytes& content) {
    Bytes input{choice, static_cast<std::uint8_t>(flip & 0xFF),
                static_cast<std::uint8_t>(flip >> 8), rule};
    return Append(input, content);
}

void PresetSeeds(const std::filesystem::path& folder, const std::filesystem::path& scratch) {
    const sim::SSimState state = sim::MakeFactoryState();
    ResetProcessData();
    std::copy(state.m_abImage.begin(), state.m_abImage.end(), Image());
    std::copy(state.m_abSystem.begin(), state.m_abSystem.end(), System());
    const std::string path = (scratch / "mode.dia").string();
    if (!ExportOneMode(path)) {
        std::fprintf(stderr, "make-fuzz-corpus: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::ifstream in(path, std::ios::binary);
    const Bytes oneMode{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Write(folder, "one-mode-file", PresetInput(0x00, 100, 0, oneMode));
    Write(folder, "one-mode-file-short", PresetInput(0x02, 7, 1, oneMode));
    // An all-modes file of the system block and mode 1 over and over: the right size, and
    // on line the import writes every mode.
    const Bytes systemAndMode = Append(Bytes(state.m_abSystem.begin(), state.m_abSystem.end()),
                                       Bytes(state.m_abImage.begin(), state.m_abImage.end()));
    Write(folder, "all-modes-file", PresetInput(0x03, 30000, 0, systemAndMode));
    Write(folder, "all-modes-file-long", PresetInput(0x05, 2, 2, systemAndMode));
}

// The filter-list harness: a choice byte (its value modulo 19 the EQ block, its top two
// bits the output mode) and the text.
Bytes ListInput(int block, std::uint8_t outputMode, const std::string& text) {
    std::uint8_t choice = static_cast<std::uint8_t>(outputMode << 6);
    while (choice % (kEqBlockCount + 1) != static_cast<std::size_t>(block)) {
        ++choice;
    }
    Bytes input{choice};
    input.insert(input.end(), text.begin(), text.end());
    return input;
}

void FilterListSeeds(const std::filesystem::path& folder) {
    const sim::SSimState state = sim::MakeFactoryState();
    struct SSeed {
        const char* m_pszName;
        int m_nBlock;
        std::uint8_t m_nOutputMode;
    };
    constexpr SSeed kExports[] = {
        {"music-left", 0, 1},
        {"mic-1-2", 2, 1},
        {"echo-a", 4, 1},
        {"output-2-of-set-2", 9, 2},
        {"dynamic-music-left", 16, 1},
    };
    for (const SSeed& seed : kExports) {
        Write(folder, seed.m_pszName,
              ListInput(seed.m_nBlock, seed.m_nOutputMode,
                        ExportFilterList(seed.m_nBlock, state.m_abImage.data())));
    }
    const std::string written = "Filter Settings file\n"
                                "\n"
                                "Room EQ V5.20\n"
                                "Notes: living room\n"
                                "\n"
                                "Preamp: -4.5 dB\n"
                                "# a comment\n"
                                "Filter 1: ON PK Fc 63.0 Hz Gain -5.0 dB Q 4.00\n"
                                "Filter 2: ON LSC 12 dB Fc 105Hz Gain 3.5 dB\n"
                                "Filter 3: OFF HS Fc 8000 Hz Gain -2.0 dB Q 0.71\n"
                                "Filter 4: ON PEQ Fc 1250 Hz Gain 1.5 dB Q 2.5\n"
                                "Filter 9: OFF None\n";
    Write(folder, "written-by-hand", ListInput(0, 1, written));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-corpus DIR\n");
        return 2;
    }
    static fuzz::CQuietSink sink;
    SetNotifySink(&sink);
    const std::filesystem::path root = argv[1];
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / "zolt-fuzz-corpus";
    std::filesystem::create_directories(scratch);
    AssemblerSeeds(root / "fuzz-assembler");
    PresetSeeds(root / "fuzz-preset-files", scratch);
    FilterListSeeds(root / "fuzz-filter-list");
    std::filesystem::remove_all(scratch);
    return 0;
}
