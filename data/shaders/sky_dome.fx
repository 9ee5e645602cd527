// The dynamic sky's dome ("Sky_dome", "mesh" layout), drawn around the eye before the scene: the
// background (slot 0) coloured from the horizon up by the sky colours, the glow about the sun
// (slot 1), darkened towards the cloud shadow; a dark sky lets the stars behind it through.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector TLightDirection
annotation string plugin = "TLightDirection"
parameter vector[5] TAtmosphereParam
annotation string plugin = "TAtmosphereParam"
parameter vector TAtmosphereColor
annotation string plugin = "TAtmosphereColor"
parameter texture Color0 shared
parameter texture Color1 shared
technique defaultshader
pass p0
vertexshader skydome
pixelshader skydome
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TLightDirection
pixelconstant 0 TAtmosphereParam
pixelconstant 5 TAtmosphereColor
texture 0 Color0
texture 1 Color1
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Wrap
samplerstate 0 AddressV = Wrap
samplerstate 1 MagFilter = Linear
samplerstate 1 MinFilter = Linear
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
