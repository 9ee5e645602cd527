// The shadow mask's soften step, down: five taps of slot 0 that lie at the centre's depth (slot 6, the positions).
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[2] TEffectsParams
annotation string plugin = "TEffectsParams"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter texture Color0 shared
parameter texture User0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader shadowblurv
vertexconstant 0 TScreenMatrix
pixelconstant 0 TEffectsParams
pixelconstant 2 TRenderTargetSize
texture 0 Color0
texture 6 User0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 6 MagFilter = Point
samplerstate 6 MinFilter = Point
samplerstate 6 AddressU = Clamp
samplerstate 6 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
