#pragma once
// Golden images: 32-bit pixels compared with a PNG kept beside the tests. With
// VESTAMOR_UPDATE_GOLDEN=1 a missing or differing image is written instead, to be looked at
// and committed.
#include <cstdint>
#include <string>
#include <vector>

// Empty when the images match within `tolerance` per channel; else what differs.
std::string CompareWithGolden(const std::string& name, const std::vector<std::uint32_t>& pixels, int width,
                              int height, int tolerance = 1);
// Reads a PNG as 0xAARRGGBB words, rows top down.
bool ReadPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height);
