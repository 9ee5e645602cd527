// A skinned mesh: each vertex placed by up to four bones of the palette, coloured by its vertices.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix[60] TAnimationSkeleton
annotation string plugin = "TAnimationSkeleton"
parameter vector MeshColor = 1 1 1 1
technique defaultshader
pass p0
vertexshader skinnedmesh
pixelshader vertexcolour
vertexconstant 0 TFinalMatrix
vertexconstant 4 TAnimationSkeleton
pixelconstant 0 MeshColor
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
