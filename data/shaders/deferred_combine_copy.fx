// "DAlphaBlendAlphaCombine2": the G-buffer's colour held by the A-buffer pass, weighed to nothing:
// the lit opaque scene stays in Temp3 as the background of the transparent combine. Added as zero
// (the colour times a zero constant) rather than blended by zero and one: the same bits, but the
// rasteriser's fast loops add into float targets, while a zero blend takes its general loop.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector CombineColor = 0 0 0 0
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
renderstate DestBlend = One
