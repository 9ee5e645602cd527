// The deferred renderer's G-buffer over plant meshes ("vegetation" layout): deferred_gbuffer.fx
// with each vertex on the ground under its mesh and coloured by its instance, the pixels of
// plants faded below half cut away.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter vector[10] TObjectMeshSettings
annotation string plugin = "TObjectMeshSettings"
parameter vector[16] TVegetationHeightMap
annotation string plugin = "TVegetationHeightMap"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader vegetationgbuffer
pixelshader gbuffer
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TDeferredMatrix
vertexconstant 12 TObjectMeshSettings
vertexconstant 22 TVegetationHeightMap
pixelconstant 0 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
renderstate AlphaTestEnable = True
renderstate AlphaRef = 128
renderstate AlphaFunc = GreaterEqual
