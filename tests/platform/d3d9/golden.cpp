#include "golden.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
std::string PathOf(const std::string& name)
{
    return std::string(D3D9_GOLDEN_DIR) + "/" + name + ".png";
}

void WritePng(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height)
{
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr);
}
} // namespace

bool ReadPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height)
{
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    width = int(image.width);
    height = int(image.height);
    pixels.assign(size_t(width) * height, 0);
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

std::string CompareWithGolden(const std::string& name, const std::vector<std::uint32_t>& pixels, int width,
                              int height, int tolerance)
{
    const char* update = std::getenv("VESTAMOR_UPDATE_GOLDEN");
    const bool updating = update && std::strcmp(update, "1") == 0;
    std::vector<std::uint32_t> golden;
    int gw = 0, gh = 0;
    if (!ReadPng(PathOf(name), golden, gw, gh))
    {
        if (updating)
        {
            WritePng(PathOf(name), pixels, width, height);
            return {};
        }
        return "no golden image " + PathOf(name);
    }
    if (gw != width || gh != height)
        return "golden image of another size";
    int differing = 0;
    std::string first;
    for (int i = 0; i < width * height; ++i)
    {
        for (int shift = 0; shift < 32; shift += 8)
        {
            const int a = int((pixels[size_t(i)] >> shift) & 0xFF),
                      b = int((golden[size_t(i)] >> shift) & 0xFF);
            if (std::abs(a - b) > tolerance)
            {
                if (differing++ == 0)
                {
                    char text[96];
                    std::snprintf(text, sizeof(text), "pixel (%d, %d) is %08x, golden %08x", i % width,
                                  i / width, pixels[size_t(i)], golden[size_t(i)]);
                    first = text;
                }
                break;
            }
        }
    }
    if (differing == 0)
        return {};
    if (updating)
        WritePng(PathOf(name), pixels, width, height);
    return std::to_string(differing) + " pixels differ; first " + first;
}
