#pragma once
// Reading image files back in the tests, and the golden images kept beside the tests.
#include <cstdint>
#include <string>
#include <vector>

struct TestImage
{
    unsigned width = 0, height = 0;
    std::vector<std::uint32_t> argb; // 0xAARRGGBB, rows top down
};

bool ReadPng(const std::string& file, TestImage& image);
// Compares 0xRRGGBB pixels with the golden PNG of that name; with VESTAMOR_UPDATE_GOLDEN=1 in the
// environment writes the golden instead. Answers an empty text on a match, else what differs.
std::string CompareWithGolden(const std::string& name, unsigned width, unsigned height,
                              const std::vector<std::uint32_t>& rgb);
