#include "platform/d3dx9/imagewriter.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <png.h>

namespace
{
constexpr int kJpegQuality = 90;

struct TFileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
typedef std::unique_ptr<std::FILE, TFileCloser> TFile;

TFile Open(const std::string& file)
{
    TFile opened(std::fopen(file.c_str(), "wb"));
    if (!opened)
        std::fprintf(stderr, "d3dx: cannot create the image file '%s'\n", file.c_str());
    return opened;
}

bool Finish(TFile file, const std::string& name)
{
    const bool written = std::ferror(file.get()) == 0 && std::fclose(file.release()) == 0;
    if (!written)
        std::fprintf(stderr, "d3dx: cannot write the image file '%s'\n", name.c_str());
    return written;
}

// The row as bytes in the order R, G, B (and A).
void RowBytes(const TImagePixels& image, unsigned y, bool alpha, std::vector<std::uint8_t>& row)
{
    const unsigned channels = alpha ? 4 : 3;
    row.resize(std::size_t(image.width) * channels);
    const std::uint32_t* pixel = image.argb.data() + std::size_t(y) * image.width;
    for (unsigned x = 0; x < image.width; ++x)
    {
        std::uint8_t* out = row.data() + std::size_t(x) * channels;
        out[0] = std::uint8_t(pixel[x] >> 16);
        out[1] = std::uint8_t(pixel[x] >> 8);
        out[2] = std::uint8_t(pixel[x]);
        if (alpha)
            out[3] = std::uint8_t(pixel[x] >> 24);
    }
}

void Put16(std::uint8_t* at, unsigned value)
{
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value)
{
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

struct TJpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegFailed(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    std::fprintf(stderr, "d3dx: JPEG writing failed (%s)\n", message);
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}
} // namespace

bool TImageWriter::WriteBmp(const std::string& file, const TImagePixels& image)
{
    TFile out = Open(file);
    if (!out)
        return false;
    const unsigned bytesPerPixel = image.alpha ? 4 : 3;
    const std::uint32_t stride = (image.width * bytesPerPixel + 3) & ~3u;
    const std::uint32_t imageBytes = stride * image.height;
    std::uint8_t header[54] = {'B', 'M'};
    Put32(header + 2, 54 + imageBytes);
    Put32(header + 10, 54);
    Put32(header + 14, 40);
    Put32(header + 18, image.width);
    Put32(header + 22, image.height); // positive: rows bottom up
    Put16(header + 26, 1);
    Put16(header + 28, bytesPerPixel * 8);
    Put32(header + 34, imageBytes);
    std::fwrite(header, 1, sizeof header, out.get());
    std::vector<std::uint8_t> row(stride, 0);
    for (unsigned y = image.height; y-- > 0;)
    {
        const std::uint32_t* pixel = image.argb.data() + std::size_t(y) * image.width;
        for (unsigned x = 0; x < image.width; ++x)
        {
            std::uint8_t* at = row.data() + std::size_t(x) * bytesPerPixel;
            at[0] = std::uint8_t(pixel[x]);
            at[1] = std::uint8_t(pixel[x] >> 8);
            at[2] = std::uint8_t(pixel[x] >> 16);
            if (image.alpha)
                at[3] = std::uint8_t(pixel[x] >> 24);
        }
        std::fwrite(row.data(), 1, row.size(), out.get());
    }
    return Finish(std::move(out), file);
}

bool TImageWriter::WritePng(const std::string& file, const TImagePixels& image)
{
    TFile out = Open(file);
    if (!out)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info)
    {
        png_destroy_write_struct(&png, nullptr);
        std::fprintf(stderr, "d3dx: PNG writer out of memory\n");
        return false;
    }
    std::vector<std::uint8_t> row;
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        std::fprintf(stderr, "d3dx: PNG writing failed for '%s'\n", file.c_str());
        return false;
    }
    png_init_io(png, out.get());
    png_set_IHDR(png, info, image.width, image.height, 8,
                 image.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (unsigned y = 0; y < image.height; ++y)
    {
        RowBytes(image, y, image.alpha, row);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return Finish(std::move(out), file);
}

bool TImageWriter::WriteJpeg(const std::string& file, const TImagePixels& image)
{
    TFile out = Open(file);
    if (!out)
        return false;
    jpeg_compress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFailed;
    std::vector<std::uint8_t> row;
    if (setjmp(error.jump))
    {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out.get());
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (unsigned y = 0; y < image.height; ++y)
    {
        RowBytes(image, y, false, row);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return Finish(std::move(out), file);
}
