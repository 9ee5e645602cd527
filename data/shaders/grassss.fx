// Screen-space grass ("ShaderGrassSS"): ground near the camera (slot 1 the positions) in the scene (slot 0) tinted with a fixed noise.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector GrassRange = 60 0.3 0 0
parameter vector GrassTint = 0.32 0.45 0.18 0.35
parameter texture Color0 shared
parameter texture Color1 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader grassss
vertexconstant 0 TScreenMatrix
pixelconstant 0 GrassRange
pixelconstant 1 GrassTint
texture 0 Color0
texture 1 Color1
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
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
