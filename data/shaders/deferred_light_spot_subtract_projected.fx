// As deferred_light_spot_subtract.fx, its light coloured by the light's projection texture (slot 13).
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[20] TLightSettings
annotation string plugin = "TLightSettings"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture User0 shared
parameter texture User7 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader deferredspotsubtractprojected
vertexconstant 0 TScreenMatrix
pixelconstant 0 TLightSettings
pixelconstant 20 TDeferredMatrix
texture 0 Color0
texture 1 Color1
texture 6 User0
texture 13 User7
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 6 MagFilter = Point
samplerstate 6 MinFilter = Point
samplerstate 13 MagFilter = Linear
samplerstate 13 MinFilter = Linear
samplerstate 13 AddressU = Clamp
samplerstate 13 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
