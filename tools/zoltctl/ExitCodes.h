// zoltctl's exit codes, shared by the commands that work with the link and those that work
// on files alone.
#pragma once

namespace zolt::ctl {

constexpr int kExitDone = 0;
constexpr int kExitLink = 1; // no device, or the link failed
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;
constexpr int kExitDiffers = 1; // diff: the presets differ
// diff: the processor could not be read; --verify: what the processor holds after the
// transfer differs from what was sent
constexpr int kExitCompare = 4;
constexpr int kExitPartial = 5; // a restore stopped part way: the processor holds a mix

} // namespace zolt::ctl
