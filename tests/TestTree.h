// The test programs work in their build tree: they write under ZOLT_TEST_OUTPUT_DIR and
// start the programs under test from ZOLT_BIN_DIR, both named relative to the tree's top
// folder, so a compiled test is the same in every clone and build tree and the compiler
// cache serves it to all of them. Each program's main therefore moves to that folder, the
// parent of the folder holding the program, wherever it was started from. The serial ports
// they open, and those of the programs they start, keep their UUCP lock files in a folder
// of the tree (ZOLT_LOCK_DIR), never in the system's /run/lock.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zolt::test {

// False, with the reason on stderr, when the program's own path cannot be read or the
// folder entered.
inline bool EnterBuildTree() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        std::filesystem::current_path(program.parent_path().parent_path(), error);
    }
    if (!error) {
        std::filesystem::create_directories("test-output/lock", error);
    }
    if (error) {
        std::fprintf(stderr, "cannot enter the build tree: %s\n", error.message().c_str());
        return false;
    }
    setenv("ZOLT_LOCK_DIR", std::filesystem::absolute("test-output/lock").c_str(), 1);
    return true;
}

} // namespace zolt::test
