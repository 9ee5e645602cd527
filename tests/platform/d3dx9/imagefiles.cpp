#include "imagefiles.h"

#include "platform/d3dx9/imagewriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <png.h>

bool ReadPng(const std::string& file, TestImage& image)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, file.c_str()))
        return false;
    png.format = PNG_FORMAT_BGRA; // little-endian words read as 0xAARRGGBB
    image.width = png.width;
    image.height = png.height;
    image.argb.assign(std::size_t(png.width) * png.height, 0);
    const bool read = png_image_finish_read(&png, nullptr, image.argb.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return read;
}

std::string CompareWithGolden(const std::string& name, unsigned width, unsigned height,
                              const std::vector<std::uint32_t>& rgb)
{
    const std::string file = std::string(D3DX9_GOLDEN_DIR) + "/" + name + ".png";
    const char* update = std::getenv("VESTAMOR_UPDATE_GOLDEN");
    if (update && std::strcmp(update, "1") == 0)
    {
        TImagePixels image;
        image.width = width;
        image.height = height;
        for (std::uint32_t pixel : rgb)
            image.argb.push_back(pixel | 0xFF000000u);
        return TImageWriter::WritePng(file, image) ? "" : "cannot write " + file;
    }
    TestImage golden;
    if (!ReadPng(file, golden))
        return "cannot read " + file;
    if (golden.width != width || golden.height != height)
        return "the golden image is " + std::to_string(golden.width) + " x " + std::to_string(golden.height);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        if ((golden.argb[i] & 0x00FFFFFFu) != (rgb[i] & 0x00FFFFFFu))
        {
            char message[128];
            std::snprintf(message, sizeof message, "pixel (%u, %u) is %06x, golden %06x", unsigned(i % width),
                          unsigned(i / width), rgb[i] & 0xFFFFFFu, golden.argb[i] & 0xFFFFFFu);
            return message;
        }
    return "";
}
