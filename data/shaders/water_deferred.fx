// The water under the deferred renderer ("ShaderWaterDR", "mesh" layout): the lit scene (slot 1) refracted through the animated normal map (slots 0 and 9, mixed by the phase), kept straight behind what stands in front of the water (slot 7, the positions).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter vector WaterRefraction = 0.03 0 0 0
parameter vector TTextureAnimationParam
annotation string plugin = "TTextureAnimationParam"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter vector WaterTint = 0.55 0.7 0.75 0
parameter vector WaterDeep = 0.02 0.06 0.08 0
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture User1 shared
parameter texture User2 shared
parameter texture User3 shared
technique defaultshader
pass p0
vertexshader gbuffer
pixelshader waterdeferred
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TDeferredMatrix
pixelconstant 0 WaterRefraction
pixelconstant 1 TTextureAnimationParam
pixelconstant 2 TRenderTargetSize
pixelconstant 4 WaterTint
pixelconstant 5 WaterDeep
texture 0 Color0
texture 1 Color1
texture 7 User1
texture 8 User2
texture 9 User3
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Wrap
samplerstate 0 AddressV = Wrap
samplerstate 9 MagFilter = Linear
samplerstate 9 MinFilter = Linear
samplerstate 9 AddressU = Wrap
samplerstate 9 AddressV = Wrap
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 7 MagFilter = Point
samplerstate 7 MinFilter = Point
samplerstate 7 AddressU = Clamp
samplerstate 7 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = False
