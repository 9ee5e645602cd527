#include "engine/render/shader.h"

#include <cstring>

TShader::TShader()
{
    // The layout after the resource part starts zeroed: no textures, parameters or programs.
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0, sizeof(TShader) - sizeof(TResource));
}
