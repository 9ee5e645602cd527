#pragma once
// ReadWav: the 16-bit PCM WAV files the audio layer's WAV output writes, read back by tests;
// anything else fails the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct TWavContents
{
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t declaredDataBytes = 0; // as the header says
    std::uint32_t declaredRiffBytes = 0;
    std::vector<std::int16_t> samples;
};

inline TWavContents ReadWav(const std::string& path)
{
    auto read32 = [](const std::string& bytes, size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };
    auto read16 = [](const std::string& bytes, size_t at) {
        std::uint16_t value = 0;
        std::memcpy(&value, bytes.data() + at, 2);
        return value;
    };
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TWavContents wav;
    EXPECT_GE(bytes.size(), 44u) << path;
    if (bytes.size() < 44)
        return wav;
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(read16(bytes, 20), 1);
    EXPECT_EQ(read16(bytes, 34), 16);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    wav.declaredRiffBytes = read32(bytes, 4);
    wav.channels = read16(bytes, 22);
    wav.sampleRate = read32(bytes, 24);
    wav.declaredDataBytes = read32(bytes, 40);
    wav.samples.resize((bytes.size() - 44) / 2);
    std::memcpy(wav.samples.data(), bytes.data() + 44, wav.samples.size() * 2);
    return wav;
}
