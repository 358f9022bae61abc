// The command codes of the serial protocol, host to processor and processor to host. Every
// frame builder, the synchronisation table, the reply handler, the simulated processor and
// the tools name a command by these constants, never by its number.
#pragma once

#include <cstdint>

namespace zolt::cmd {

// Produced by the synchronisation pass.
constexpr std::uint8_t kVolume = 1;        // parameter 2, 1, 0 for system[1], [2], [3]
constexpr std::uint8_t kMixLevel = 2;      // mix point 0..57
constexpr std::uint8_t kEqBand = 3;        // band number 0..190
constexpr std::uint8_t kFilter = 4;        // crossover number 0..16
constexpr std::uint8_t kTime = 5;          // time value 0..17, u16
constexpr std::uint8_t kMicByte = 6;       // 0 for image[239], 1 for image[396]
constexpr std::uint8_t kLimiter = 7;       // limiter 0..7
constexpr std::uint8_t kOutputByte = 8;    // output record 0..7 of the live set (mute)
constexpr std::uint8_t kSystemNibble = 9;  // high nibble of system[9] as parameter
constexpr std::uint8_t kNoiseGate = 10;    // noise gate 0..2
constexpr std::uint8_t kMixPolarity = 11;  // mix point 0..57
constexpr std::uint8_t kLevelPoll = 12;    // parameter: output mode; answered by reply 12
constexpr std::uint8_t kInputSelect = 13;  // system[8] as parameter
constexpr std::uint8_t kDynamicBand = 17;  // dynamic-EQ band 0..5
constexpr std::uint8_t kExciter = 18;      // exciter 0..7
constexpr std::uint8_t kSettingByte = 19;  // setting byte 0..6
constexpr std::uint8_t kEqBypass = 20;     // bypass flag 0..18
constexpr std::uint8_t kStatePoll = 24;    // parameter: output mode; answered by reply 24
constexpr std::uint8_t kLink = 135;        // link flag 0..5
constexpr std::uint8_t kVolumeLimit = 137; // parameter 0, 1, 2 for system[6], [5], [4]
constexpr std::uint8_t kPhantom = 138;     // system[7] as parameter
constexpr std::uint8_t kIrControl = 139;   // system[14] as parameter
constexpr std::uint8_t kOutputMode = 142;  // image[2706] as parameter

// Queued by the frame builder.
constexpr std::uint8_t kProbe = 127;          // answered by reply 127 (unlock state)
constexpr std::uint8_t kReadName = 128;       // slot 0..21; reply 128
constexpr std::uint8_t kReadSystem = 129;     // reply 129
constexpr std::uint8_t kReadMode = 130;       // 0 working image, 1..21 stored mode; reply 130
constexpr std::uint8_t kWriteSystem = 131;    // 66 bytes of slot 0's system copy
constexpr std::uint8_t kWriteMode = 132;      // 0 working image, 1..21 a slot
constexpr std::uint8_t kRecall = 133;         // mode number; reply 133
constexpr std::uint8_t kStore = 134;          // mode number, 20 name bytes
constexpr std::uint8_t kSixCodeChange = 140;  // current and new system password
constexpr std::uint8_t kFourCodeChange = 141; // current and new panel password

} // namespace zolt::cmd
