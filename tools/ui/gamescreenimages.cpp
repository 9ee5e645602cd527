#include "gamescreenimages.h"

#include <cmath>

namespace
{
constexpr i32 F = GAME_STRIP_FRAME;

void Put(std::vector<u32>& pixels, i32 width, i32 x, i32 y, u32 argb)
{
    if (x >= 0 && x < width && y >= 0 && static_cast<size_t>(y * width + x) < pixels.size())
        pixels[static_cast<size_t>(y * width + x)] = argb;
}

void Disc(std::vector<u32>& pixels, i32 width, f32 cx, f32 cy, f32 radius, u32 argb)
{
    for (i32 y = static_cast<i32>(cy - radius); y <= static_cast<i32>(cy + radius); ++y)
        for (i32 x = static_cast<i32>(cx - radius); x <= static_cast<i32>(cx + radius); ++x)
        {
            const f32 dx = static_cast<f32>(x) + 0.5f - cx, dy = static_cast<f32>(y) + 0.5f - cy;
            if (dx * dx + dy * dy <= radius * radius)
                Put(pixels, width, x, y, argb);
        }
}

void Box(std::vector<u32>& pixels, i32 width, i32 left, i32 top, i32 right, i32 bottom, u32 argb)
{
    for (i32 y = top; y < bottom; ++y)
        for (i32 x = left; x < right; ++x)
            Put(pixels, width, x, y, argb);
}

// "!" centred in a square frame of the size whose top row is given.
void Mark(std::vector<u32>& pixels, i32 size, i32 top, u32 argb)
{
    const i32 mid = size / 2;
    Box(pixels, size, mid - 2, top + size / 6, mid + 2, top + size * 3 / 5, argb);
    Box(pixels, size, mid - 2, top + size * 7 / 10, mid + 2, top + size * 5 / 6, argb);
}
} // namespace

std::vector<u32> TaskMarkerStrip()
{
    std::vector<u32> pixels(static_cast<size_t>(F * F * 3), 0);
    const u32 colours[3] = {0xFF8090A0, 0xFF40A0FF, 0xFF40D060};
    for (i32 f = 0; f < 3; ++f)
        Disc(pixels, F, F / 2.0f, static_cast<f32>(f * F) + F / 2.0f, F * 0.3f, colours[f]);
    return pixels;
}

std::vector<u32> AILevelStrip()
{
    std::vector<u32> pixels(static_cast<size_t>(F * F * 3), 0);
    for (i32 f = 0; f < 3; ++f)
        for (i32 bar = 0; bar <= f; ++bar)
        {
            const i32 left = 3 + bar * 7;
            Box(pixels, F, left, f * F + F - 4 - (bar + 1) * 5, left + 5, f * F + F - 4, 0xFFFFE328);
        }
    return pixels;
}

std::vector<u32> ExclamationStrip()
{
    std::vector<u32> pixels(static_cast<size_t>(F * F * 3), 0);
    for (i32 f = 0; f < 3; ++f)
        Mark(pixels, F, f * F, 0xFFFFE328);
    return pixels;
}

std::vector<u32> AttentionStrip()
{
    constexpr i32 S = GAME_ATTENTION_SIZE;
    std::vector<u32> pixels(static_cast<size_t>(S * S * 2), 0);
    Disc(pixels, S, S / 2.0f, S / 2.0f, S * 0.45f, 0xFFC20000);
    Mark(pixels, S, 0, 0xFFFFFFFF);
    Disc(pixels, S, S / 2.0f, S * 1.5f, S * 0.45f, 0xFFFF6040);
    Mark(pixels, S, S, 0xFFFFFFFF);
    return pixels;
}

std::vector<u32> VehiclePicture(i32 kind, i32 width, i32 height)
{
    std::vector<u32> pixels(static_cast<size_t>(width * height), 0);
    // A hue per kind around the colour wheel.
    const f32 hue = static_cast<f32>(kind) / VEHICLE_PICTURE_COUNT * 6.2831853f;
    auto channel = [&](f32 phase) { return static_cast<u32>(150.0f + 100.0f * std::sin(hue + phase)); };
    const u32 body = 0xFF000000 | channel(0.0f) << 16 | channel(2.094f) << 8 | channel(4.189f);
    const i32 base = height * 3 / 4;
    // The body, the cab and two wheels.
    Box(pixels, width, width / 10, height * 2 / 5, width * 9 / 10, base, body);
    Box(pixels, width, width * 6 / 10, height / 5, width * 9 / 10, height * 2 / 5, body);
    Box(pixels, width, width * 13 / 20, height / 4, width * 17 / 20, height * 2 / 5 - 2, 0xFFB8D8F0);
    const f32 radius = static_cast<f32>(height) / 8.0f;
    for (f32 x : {width * 0.25f, width * 0.75f})
        Disc(pixels, width, x, static_cast<f32>(base), radius, 0xFF202020);
    return pixels;
}

std::vector<u32> PinStrip()
{
    std::vector<u32> pixels(static_cast<size_t>(F * F * 2), 0);
    const u32 heads[2] = {0xFF8090A0, 0xFFFFE328};
    for (i32 f = 0; f < 2; ++f)
    {
        Disc(pixels, F, F / 2.0f, static_cast<f32>(f * F) + F * 0.35f, F * 0.25f, heads[f]);
        Box(pixels, F, F / 2 - 1, f * F + F / 2, F / 2 + 1, f * F + F - 3, 0xFFE2F2FF);
    }
    return pixels;
}

std::vector<u32> CloseStrip()
{
    std::vector<u32> pixels(static_cast<size_t>(F * F * 2), 0);
    const u32 fills[2] = {0xE0203048, 0xF0385878};
    for (i32 f = 0; f < 2; ++f)
    {
        Box(pixels, F, 0, f * F, F, f * F + F, fills[f]);
        for (i32 i = 5; i < F - 5; ++i)
            for (i32 w = -1; w <= 1; ++w)
            {
                Put(pixels, F, i + w, f * F + i, 0xFFE2F2FF);
                Put(pixels, F, F - 1 - i + w, f * F + i, 0xFFE2F2FF);
            }
    }
    return pixels;
}

std::vector<u32> HelpPicture(i32 image)
{
    constexpr i32 S = HELP_IMAGE_SIZE;
    std::vector<u32> pixels(static_cast<size_t>(S * S), 0xFF203048);
    switch (image)
    {
    case 0:
        // An aircraft from above: the fuselage and the wings.
        Box(pixels, S, S / 2 - 4, 8, S / 2 + 4, S - 8, 0xFFE2F2FF);
        Box(pixels, S, 10, S / 2 - 6, S - 10, S / 2 + 4, 0xFFE2F2FF);
        Box(pixels, S, S / 2 - 14, S - 16, S / 2 + 14, S - 10, 0xFFE2F2FF);
        break;
    case 1:
        Disc(pixels, S, S / 2.0f, S / 2.0f, S * 0.3f, 0xFF40D060);
        break;
    case 2:
        for (i32 bar = 0; bar < 3; ++bar)
            Box(pixels, S, 12 + bar * 18, S - 14 - (bar + 1) * 14, 24 + bar * 18, S - 14, 0xFFFFE328);
        break;
    default:
        Disc(pixels, S, S / 2.0f, S / 2.0f, S * 0.35f, 0xFFE2F2FF);
        Disc(pixels, S, S / 2.0f, S / 2.0f, S * 0.18f, 0xFF203048);
        break;
    }
    return pixels;
}

std::vector<u32> HudPicture(i32 picture)
{
    constexpr i32 S = HUD_PICTURE_SIZE;
    constexpr u32 INK = 0xFFFFFFFF;
    constexpr u32 YELLOW = 0xFFFFE328;
    std::vector<u32> pixels(static_cast<size_t>(S * S), 0);
    // An aircraft from above, nose up, over the rows top to top + 30.
    auto aircraft = [&](i32 top) {
        Box(pixels, S, S / 2 - 3, top, S / 2 + 3, top + 30, INK);
        Box(pixels, S, 12, top + 10, S - 12, top + 16, INK);
        Box(pixels, S, S / 2 - 9, top + 25, S / 2 + 9, top + 29, INK);
    };
    // A yellow arrow between the rows, its tip at the top (up) or at the bottom.
    auto arrow = [&](i32 top, i32 bottom, bool up) {
        Box(pixels, S, S / 2 - 3, top + (up ? 8 : 0), S / 2 + 3, bottom - (up ? 0 : 8), YELLOW);
        for (i32 row = 0; row < 9; ++row)
        {
            const i32 y = up ? top + row : bottom - 1 - row;
            Box(pixels, S, S / 2 - row - 1, y, S / 2 + row + 1, y + 1, YELLOW);
        }
    };
    switch (picture)
    {
    case 0:
        for (i32 bar = 0; bar < 3; ++bar)
            Box(pixels, S, 12 + bar * 15, 48 - (bar + 1) * 11, 22 + bar * 15, 48, bar == 2 ? YELLOW : INK);
        Box(pixels, S, 8, 49, S - 8, 52, INK);
        break;
    case 1:
        // The cab with its windows on a shaft, on a base.
        Box(pixels, S, 16, 10, S - 16, 24, INK);
        Box(pixels, S, 20, 14, S - 20, 20, 0xFF203048);
        Box(pixels, S, S / 2 - 5, 24, S / 2 + 5, 50, INK);
        Box(pixels, S, 18, 50, S - 18, 55, INK);
        break;
    case 2:
        // The car with its roof light.
        Box(pixels, S, 8, 28, S - 8, 44, INK);
        Box(pixels, S, 18, 18, S - 22, 30, INK);
        Box(pixels, S, 22, 21, S - 26, 27, 0xFF203048);
        Box(pixels, S, 26, 13, 34, 18, YELLOW);
        for (f32 x : {19.0f, S - 19.0f})
        {
            Disc(pixels, S, x, 45.0f, 7.0f, INK);
            Disc(pixels, S, x, 45.0f, 3.0f, 0xFF203048);
        }
        break;
    default:
        aircraft(6);
        arrow(38, 60, picture == 4);
        break;
    }
    return pixels;
}
