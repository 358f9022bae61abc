// What the equaliser tests share: a mode image, the EQ blocks they work on, and an image
// whose every byte is a pseudo-random value, so that a write shows anywhere.
#pragma once

#include "model/Layout.h"

#include <array>
#include <cstdint>
#include <random>

namespace zolt::test {

using Image = std::array<std::uint8_t, kImageSize>;

// EQ blocks by their index.
constexpr int kMusicLeft = 0;
constexpr int kMic12 = 2;
constexpr int kEchoA = 4;
constexpr int kFirstOutput = 8;
constexpr int kMusicLeftDeq = 16;

// Every byte pseudo-random from seed, then the output mode that makes an output set live.
inline Image NoiseImage(unsigned seed, std::uint8_t outputMode) {
    std::mt19937 random(seed);
    Image image{};
    for (std::uint8_t& b : image) {
        b = static_cast<std::uint8_t>(random());
    }
    image[image::kOutputMode] = outputMode;
    return image;
}

} // namespace zolt::test
