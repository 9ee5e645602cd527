// Tone mapping ("ShaderToneMapping"): the scene (slot 0) stretched by the luminance range of the 9 x 9 target (slot 9); slots 6-8 hold the larger ones.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter texture Color0 shared
parameter texture User0 shared
parameter texture User1 shared
parameter texture User2 shared
parameter texture User3 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader tonemap
vertexconstant 0 TScreenMatrix
texture 0 Color0
texture 6 User0
texture 7 User1
texture 8 User2
texture 9 User3
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 9 MagFilter = Point
samplerstate 9 MinFilter = Point
samplerstate 9 AddressU = Clamp
samplerstate 9 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
