#pragma once
// TTexture: the texture resource (stored type 36). Its levels come from repository data, level
// by level; the Direct3D side (TDxTexture) creates, loads, copies and locks it.
#include "core/system/templates/sarray.h"
#include "engine/system/resource.h"

#include <cstddef>

struct IDirect3DBaseTexture9;
class TRenderTarget;
class TTextureAnimation;

constexpr u16 TEXTURE_TYPE_ID = 36;

// Flags.
constexpr u32 TEXTURE_DYNAMIC = 0x1;          // default pool, dynamic usage, no data
constexpr u32 TEXTURE_NO_OBJECT = 0x2;        // an animation target: borrows its frames' textures
constexpr u32 TEXTURE_ANIMATION_TARGET = 0x4; // set with TEXTURE_NO_OBJECT by the animations
constexpr u32 TEXTURE_COMPRESSED = 0x20000;   // level data stored compressed
constexpr u32 TEXTURE_PRELOAD = 0x40000;      // loaded with the shaders after a cluster load

// Types.
constexpr i32 TEXTURE_2D = 3;
constexpr i32 TEXTURE_CUBE = 4;
constexpr i32 TEXTURE_VOLUME = 5;

constexpr u32 TEXTURE_CUBE_FACES = 6;
// Stored level entries: every level of every face.
constexpr u32 TEXTURE_LEVEL_CAPACITY = 128;

// Lock modes.
constexpr i32 TEXTURE_LOCK_READ = 0;
constexpr i32 TEXTURE_LOCK_WRITE_DISCARD = 1;
constexpr i32 TEXTURE_LOCK_READ_WRITE = 2;

// Where a stored level lies in the repository data (levels of face 0, then of face 1 ...).
struct TTextureLevel
{
    u32 nOffset;
    u32 nSize;
    u32 nPitch;
};

class TTexture : public TResource
{
public:
    TTexture();

    virtual i32 CopyFromRenderTarget(i32 level, TRenderTarget* target) = 0;
    virtual i32 Copy(i32 levelOrFace, TTexture* source) = 0;
    // The level's bits, with the locked row pitch and pitch x top-level height; null on failure.
    virtual void* Lock(i32 mode, i32 level, u32& pitch, u32& size) = 0;
    virtual void Unlock(i32 level) = 0;
    virtual TTextureAnimation* GetAnimation() = 0;

    // The top level's 32-bit pixels, top row first, straight from the repository data: null
    // unless the level is stored uncompressed as whole rows of 4-byte pixels.
    const u32* GetPixels();

    u32 m_nFlags;
    i32 m_nWidth;
    i32 m_nHeight;
    i32 m_nDepth;
    // 0: a full chain.
    i32 m_nLevels;
    i32 m_nType;
    i32 m_nFormat;
    IDirect3DBaseTexture9* m_pTexture;
    // The texture levels are read into before they move into m_pTexture.
    IDirect3DBaseTexture9* m_pStaging;
    // 0 until derived from m_nFormat.
    u32 m_nD3DFormat;
    u32 m_nByteSize;
    SArray<TTextureLevel, TEXTURE_LEVEL_CAPACITY, 0> m_aLevel;
    i32 m_nPending;
    // -1: no animation's target.
    i32 m_nAnimation;
};

static_assert(sizeof(TTexture) == 1660);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTexture, m_nFlags) == 68);
static_assert(offsetof(TTexture, m_nFormat) == 92);
static_assert(offsetof(TTexture, m_aLevel) == 112);
static_assert(offsetof(TTexture, m_nAnimation) == 1656);
#pragma GCC diagnostic pop
