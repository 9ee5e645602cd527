// Clouds and free sky elements ("Sky_elements", "sky" layout, instanced at their places about
// the eye): slot 0 lit by the light colour, darker under the cloud shadow, blended by alpha.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector TLightColor
annotation string plugin = "TLightColor"
parameter vector TAtmosphereColor
annotation string plugin = "TAtmosphereColor"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader skyinstance
pixelshader skyelement
vertexconstant 0 TFinalMatrix
pixelconstant 0 TLightColor
pixelconstant 1 TAtmosphereColor
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
