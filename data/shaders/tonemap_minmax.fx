// Tone mapping's reduction ("ShaderToneMappingMinMaxLuminance"): the least and most luminance of 3 x 3 texels of slot 0.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader tonemapminmax
vertexconstant 0 TScreenMatrix
pixelconstant 2 TRenderTargetSize
texture 0 Color0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
