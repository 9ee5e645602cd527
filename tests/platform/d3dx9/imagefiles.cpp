#include "imagefiles.h"

#include "platform/d3dx9/imagewriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>
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

bool ReadJpeg(const std::string& file, TestImage& image)
{
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in)
        return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = info.output_width;
    image.height = info.output_height;
    image.argb.assign(std::size_t(image.width) * image.height, 0);
    std::vector<std::uint8_t> row(std::size_t(image.width) * 3);
    while (info.output_scanline < info.output_height)
    {
        const unsigned y = info.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (unsigned x = 0; x < image.width; ++x)
            image.argb[std::size_t(y) * image.width + x] =
                0xFF000000u | row[x * 3] << 16 | row[x * 3 + 1] << 8 | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(in);
    return true;
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
