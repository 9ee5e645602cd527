// Edge smoothing ("ShaderEdgeAntialiasing"): the previous image (slot 0) blended with its neighbours where the depth (slot 1) or the normal (slot 2) jumps.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture Normal0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader edgeaa
vertexconstant 0 TScreenMatrix
pixelconstant 2 TRenderTargetSize
texture 0 Color0
texture 1 Color1
texture 2 Normal0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 2 MagFilter = Point
samplerstate 2 MinFilter = Point
samplerstate 2 AddressU = Clamp
samplerstate 2 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
