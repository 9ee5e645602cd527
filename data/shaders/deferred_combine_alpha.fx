// The A-buffer over the G-buffer's colour ("DAlphaBlendAlphaCombine"): premultiplied, as it was drawn.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector CombineColor = 1 1 1 1
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader textured
vertexconstant 0 TScreenMatrix
pixelconstant 0 CombineColor
texture 0 Color0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = InvSrcAlpha
