#pragma once
// TTextureManager ("Texture"): owns every texture and texture animation. Its Direct3D form is
// TDxTextureManager.
#include "engine/system/manager.h"

class TTexture;
class TTextureAnimation;

class TTextureManager : public TManager
{
public:
    virtual i32 GetTextureCount() = 0;
    virtual TTexture* GetTexture(i32 index) = 0;
    // The first texture of that name, else the target of the animation of that name, else null.
    virtual TTexture* FindTexture(const TName& name) = 0;
    // A new entry (flags OR-ed in); created on the device when it loads.
    virtual TTexture* CreateTexture(const TName& name, i32 width, i32 height, i32 depth, i32 levels, i32 type,
                                    i32 format, u32 flags) = 0;
    virtual TTexture* CreateTextureEntry(const TName& name) = 0;
    virtual i32 GetTextureAnimationCount() = 0;
    virtual TTextureAnimation* GetTextureAnimation(i32 index) = 0;
    virtual TTextureAnimation* FindTextureAnimation(const TName& name) = 0;
    // Also makes its target texture of the same name.
    virtual TTextureAnimation* CreateTextureAnimation(const TName& name) = 0;
};

extern TTextureManager* g_pTextureManager;
