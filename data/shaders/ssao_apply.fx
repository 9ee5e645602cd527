// The softened ambient light ("Shader_ambientocclusion_blur", slot 0 "AORT") times the scene (slot 1), drawn over the scene.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter texture Color0 shared
parameter texture Color1 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader ssaoapply
vertexconstant 0 TScreenMatrix
texture 0 Color0
texture 1 Color1
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
