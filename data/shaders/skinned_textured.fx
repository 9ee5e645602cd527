// A skinned mesh: each vertex placed by up to four bones of the palette, textured from slot 0.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix[60] TAnimationSkeleton
annotation string plugin = "TAnimationSkeleton"
parameter vector MeshColor = 1 1 1 1
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader skinnedmesh
pixelshader textured
vertexconstant 0 TFinalMatrix
vertexconstant 4 TAnimationSkeleton
pixelconstant 0 MeshColor
texture 0 Color0
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
