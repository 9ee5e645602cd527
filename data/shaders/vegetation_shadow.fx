// A plant mesh ("vegetation" layout) into the shadow map: shadow_buffer.fx with each vertex on
// the ground under its mesh.
effect 1
parameter matrix TShadowProjection
annotation string plugin = "TShadowProjection"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector[10] TObjectMeshSettings
annotation string plugin = "TObjectMeshSettings"
parameter vector[16] TVegetationHeightMap
annotation string plugin = "TVegetationHeightMap"
technique defaultshader
pass p0
vertexshader vegetationshadow
pixelshader shadowdepth
vertexconstant 0 TShadowProjection
vertexconstant 4 TObjectMatrix
vertexconstant 12 TObjectMeshSettings
vertexconstant 22 TVegetationHeightMap
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
