// The transparency positions ("DPositionOutput"): the camera-space positions of the transparent surfaces in front of the opaque ones.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter vector TextureWeight = 0 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader gbuffer
pixelshader gbufferposition
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TDeferredMatrix
pixelconstant 0 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
