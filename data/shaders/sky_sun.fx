// The sun and the stars ("Sky_sun", "sky" layout): slot 0 added over the sky, as much as the
// night factor's place shows (the stars' night, the sun's clear sky).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector TLightDirection
annotation string plugin = "TLightDirection"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader skyinstance
pixelshader skysun
vertexconstant 0 TFinalMatrix
pixelconstant 0 TLightDirection
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
