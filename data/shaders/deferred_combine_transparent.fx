// The transparent combine ("DTransparent"): the lit transparent colour over the opaque scene (slot 6) by its alpha.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture User0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader deferredcombinetransparent
vertexconstant 0 TScreenMatrix
texture 0 Color0
texture 1 Color1
texture 6 User0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 6 MagFilter = Point
samplerstate 6 MinFilter = Point
samplerstate 6 AddressU = Clamp
samplerstate 6 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
