// The dynamic weather's particles ("Shader_dynamicweather", "weather" layout): slot 0's streak
// tinted by the sky's light and the layer's opacity, blended by alpha over the depth-tested scene.
effect 1
parameter vector[20] TShaderWeatherSettings
annotation string plugin = "TShaderWeatherSettings"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader weatherparticle
pixelshader particle
vertexconstant 0 TShaderWeatherSettings
pixelconstant 0 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
