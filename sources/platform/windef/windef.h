#pragma once
// The basic Windows types that the engine's code and our platform layers share, with their
// Windows sizes on 32-bit x86. Only what the engine uses lives here; each platform layer keeps
// its own interface-specific declarations in its own folder.
#include <cstdint>

typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::uint32_t UINT;
typedef std::int32_t INT;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::int32_t BOOL;
typedef float FLOAT;
typedef std::int32_t HRESULT;
typedef std::uint64_t UINT64;
typedef std::int64_t INT64;
typedef std::uint32_t UINT32;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef void* HANDLE;
struct HWND__;
typedef HWND__* HWND;
struct HMONITOR__;
typedef HMONITOR__* HMONITOR;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
struct HDC__;
typedef HDC__* HDC;
struct HFONT__;
typedef HFONT__* HFONT;
struct HICON__;
typedef HICON__* HICON;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT
{
    LONG x;
    LONG y;
};

struct SIZE
{
    LONG cx;
    LONG cy;
};

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

struct LUID
{
    DWORD LowPart;
    LONG HighPart;
};

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr WORD LOWORD(DWORD value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(DWORD value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }

static_assert(sizeof(RECT) == 16 && sizeof(POINT) == 8 && sizeof(GUID) == 16);

// Text types: Windows' 16-bit wide characters are char16_t here, since wchar_t is 4 bytes.
typedef char CHAR;
typedef char16_t WCHAR;
typedef std::uint16_t USHORT;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;

union LARGE_INTEGER
{
    struct
    {
        DWORD LowPart;
        LONG HighPart;
    };
    INT64 QuadPart;
};
static_assert(sizeof(LARGE_INTEGER) == 8);
