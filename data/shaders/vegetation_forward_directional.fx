// The forward renderer's directional pass over plant meshes ("vegetation" layout):
// forward_directional.fx with each vertex on the ground under its mesh and coloured by its
// instance, the pixels of plants faded below half cut away.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector[20] TLightSettings
annotation string plugin = "TLightSettings"
parameter vector[10] TObjectMeshSettings
annotation string plugin = "TObjectMeshSettings"
parameter vector[16] TVegetationHeightMap
annotation string plugin = "TVegetationHeightMap"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader vegetationforward
pixelshader forwarddirectional
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 12 TObjectMeshSettings
vertexconstant 22 TVegetationHeightMap
pixelconstant 0 TLightSettings
pixelconstant 22 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
renderstate AlphaTestEnable = True
renderstate AlphaRef = 128
renderstate AlphaFunc = GreaterEqual
