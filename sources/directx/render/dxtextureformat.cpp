#include "directx/render/dxtextureformat.h"

#include "core/system/log.h"

namespace
{
struct TFormatEntry
{
    u32 nEngine;
    D3DFORMAT Format;
    u32 nBits;
};

const TFormatEntry kFormats[] = {
    {0x101, D3DFMT_A2R10G10B10, 32},   {0x102, D3DFMT_A8R8G8B8, 32},       {0x103, D3DFMT_X8R8G8B8, 32},
    {0x104, D3DFMT_A1R5G5B5, 16},      {0x105, D3DFMT_X1R5G5B5, 16},       {0x106, D3DFMT_R5G6B5, 16},
    {0x201, D3DFMT_D16_LOCKABLE, 16},  {0x202, D3DFMT_D32, 32},            {0x203, D3DFMT_D15S1, 16},
    {0x204, D3DFMT_D24S8, 32},         {0x205, D3DFMT_D24X8, 32},          {0x206, D3DFMT_D24X4S4, 32},
    {0x207, D3DFMT_D32F_LOCKABLE, 32}, {0x208, D3DFMT_D24FS8, 32},         {0x209, D3DFMT_D16, 16},
    {0x20A, D3DFMT_VERTEXDATA, 32},    {0x20B, D3DFMT_INDEX16, 32},        {0x20C, D3DFMT_INDEX32, 32},
    {0x301, D3DFMT_DXT1, 4},           {0x302, D3DFMT_DXT2, 4},            {0x303, D3DFMT_DXT3, 8},
    {0x304, D3DFMT_DXT4, 8},           {0x305, D3DFMT_DXT5, 8},            {0x401, D3DFMT_R16F, 16},
    {0x402, D3DFMT_G16R16F, 32},       {0x403, D3DFMT_A16B16G16R16F, 64},  {0x501, D3DFMT_R32F, 32},
    {0x502, D3DFMT_G32R32F, 64},       {0x503, D3DFMT_A32B32G32R32F, 128}, {0x601, D3DFMT_L6V5U5, 16},
    {0x602, D3DFMT_X8L8V8U8, 32},      {0x603, D3DFMT_A2W10V10U10, 32},    {0x701, D3DFMT_V8U8, 16},
    {0x702, D3DFMT_Q8W8V8U8, 32},      {0x703, D3DFMT_V16U16, 32},         {0x704, D3DFMT_Q16W16V16U16, 64},
    {0x705, D3DFMT_CxV8U8, 16},        {0x801, D3DFMT_R8G8B8, 24},         {0x802, D3DFMT_A4R4G4B4, 16},
    {0x803, D3DFMT_R3G3B2, 8},         {0x804, D3DFMT_A8, 8},              {0x805, D3DFMT_A8R3G3B2, 16},
    {0x806, D3DFMT_X4R4G4B4, 16},      {0x807, D3DFMT_A2B10G10R10, 32},    {0x808, D3DFMT_A8B8G8R8, 32},
    {0x809, D3DFMT_X8B8G8R8, 32},      {0x80A, D3DFMT_G16R16, 32},         {0x80B, D3DFMT_A16B16G16R16, 64},
    {0x80C, D3DFMT_A8P8, 16},          {0x80D, D3DFMT_P8, 8},              {0x80E, D3DFMT_L8, 8},
    {0x80F, D3DFMT_L16, 16},           {0x810, D3DFMT_A8L8, 16},           {0x811, D3DFMT_A4L4, 8},
};

const TFormatEntry* FindByD3D(D3DFORMAT format)
{
    for (const TFormatEntry& entry : kFormats)
        if (entry.Format == format)
            return &entry;
    return nullptr;
}
} // namespace

u32 GetFormat(D3DFORMAT format)
{
    if (const TFormatEntry* entry = FindByD3D(format))
        return entry->nEngine;
    TLog::Print(g_pSystemLog, LOG_ERROR, "GetFormat(): error: ", "unknown D3DFORMAT %d", static_cast<i32>(format));
    return 0;
}

D3DFORMAT GetD3DFormat(u32 engineFormat)
{
    for (const TFormatEntry& entry : kFormats)
        if (entry.nEngine == engineFormat)
            return entry.Format;
    TLog::Print(g_pSystemLog, LOG_ERROR, "GetFormat(): error: ", "unknown D3DFORMAT %d",
                static_cast<i32>(engineFormat));
    return D3DFMT_UNKNOWN;
}

u32 GetFormatBitDepth(D3DFORMAT format)
{
    if (const TFormatEntry* entry = FindByD3D(format))
        return entry->nBits;
    TLog::Print(g_pSystemLog, LOG_ERROR, "GetFormatBitDepth(): error: ", "unknown D3DFORMAT %d",
                static_cast<i32>(format));
    return 32;
}

bool IsDxtFormat(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

u32 GetSurfaceSize(D3DFORMAT format, u32 width, u32 height, u32 pitch)
{
    if (IsDxtFormat(format))
        return ((height + 3) & ~3u) * (pitch / 4);
    const u32 size = GetFormatBitDepth(format) * width * height / 8;
    return size ? size : 1;
}
