// A plain textured sky ("Sky_plain", "mesh" layout) around the eye: slot 0 times the colour the
// sky hands it, whose alpha fades a later sky in over the first.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector TLightDirection
annotation string plugin = "TLightDirection"
parameter vector TAtmosphereColor
annotation string plugin = "TAtmosphereColor"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader skydome
pixelshader skyplain
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TLightDirection
pixelconstant 0 TAtmosphereColor
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Wrap
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
