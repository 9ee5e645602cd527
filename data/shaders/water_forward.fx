// The water under the forward renderer ("ShaderWaterFR", "mesh" layout): its colour shaded by the normal map (slot 0), blended over the back buffer.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter vector WaterColour = 0.18 0.32 0.38 0.7
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader gbuffer
pixelshader waterforward
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TDeferredMatrix
pixelconstant 0 WaterColour
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Wrap
samplerstate 0 AddressV = Wrap
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
