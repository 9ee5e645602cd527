#pragma once
// Writes 32-bit A8R8G8B8 pixels (rows top down) as image files: BMP (24 bits, or 32 with
// alpha), PNG (RGB, or RGBA with alpha) and JPEG (quality 90). Answers false, after one line
// on standard error, when the file cannot be written.
#include <cstdint>
#include <string>
#include <vector>

struct TImagePixels
{
    unsigned width = 0;
    unsigned height = 0;
    bool alpha = false; // keep the alpha byte (PNG and BMP)
    std::vector<std::uint32_t> argb;
};

class TImageWriter
{
public:
    static bool WriteBmp(const std::string& file, const TImagePixels& image);
    static bool WritePng(const std::string& file, const TImagePixels& image);
    static bool WriteJpeg(const std::string& file, const TImagePixels& image);
};
