#include "targetgolden.h"

#include "engine/render/rendertarget.h"
#include "platform/d3d9/golden.h"

#include <cstdint>
#include <vector>

std::string CompareTargetWithGolden(TRenderTarget* target, const std::string& name, int width, int height)
{
    u32 bytes = 0;
    const auto* pixels = static_cast<const u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_READ));
    if (!pixels)
        return "the target cannot be read";
    const std::vector<std::uint32_t> image(pixels, pixels + width * height);
    target->Unlock();
    return CompareWithGolden(name, image, width, height);
}
