// A shadow map projected over the screen: the opaque positions (slot 0) into mask 0 and the transparency positions (slot 1) into mask 1, the light's channel added where the map (slot 3) hides them.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter matrix TShadowProjection
annotation string plugin = "TShadowProjection"
parameter vector[8] TShadowParameters
annotation string plugin = "TShadowParameters"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture Mask0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader shadowprojection
vertexconstant 0 TScreenMatrix
pixelconstant 0 TShadowProjection
pixelconstant 4 TShadowParameters
texture 0 Color0
texture 1 Color1
texture 3 Mask0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 3 MagFilter = Point
samplerstate 3 MinFilter = Point
samplerstate 3 AddressU = Clamp
samplerstate 3 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
