#pragma once
// Compiles the text description of an effect, the form in which our tools store effects in
// shader resources, into a TEffectDescription. One statement per line; "//" starts a comment.
//
//   effect 1                                   first statement: the format and its version
//   parameter matrix WorldViewProjection shared
//   parameter vector[2] ScreenMatrix = 1 0 1 0  0 0 0 0
//   parameter texture Color0
//   annotation string rid = "stone_wall"         annotations follow their parameter
//   annotation int texturesampler = 0
//   annotation string plugin = "TObjectMatrix"
//   technique defaultshader
//   pass p0
//   vertexshader canvas2d                        shading models of the software device
//   pixelshader textured
//   vertexconstant 0 ScreenMatrix                parameter -> first constant register
//   pixelconstant 0 CanvasColor
//   texture 0 Color0                             sampler <- texture parameter
//   renderstate AlphaBlendEnable = true
//   renderstate SrcBlend = SrcAlpha
//   samplerstate 0 AddressU = Clamp
//   texturestagestate 0 ColorOp = Modulate
//   transform World WorldMatrix
//   fvf 0x142
//   npatchmode 0
//   lightenable 0 = true
//   material MaterialColours                     a vector[5] parameter (see effectdescription.h)
//   light 0 SunLight                             a vector[8] parameter
//
// Parameter types: texture, matrix, vector, int, float; matrix, vector and int take an element
// count ("matrix[4]"). "shared" puts the parameter in the effect pool. Pass statements are
// applied in the order written.
#include "platform/d3dx9/effectdescription.h"

#include <cstddef>
#include <string>

class TEffectCompiler
{
public:
    // Answers false with `error` set to "line N: reason" for the first fault of the text.
    static bool Compile(const char* text, std::size_t size, TEffectDescription& description,
                        std::string& error);
};
