// A mesh placed by its world matrix, coloured by its vertices.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector MeshColor = 1 1 1 1
technique defaultshader
pass p0
vertexshader objectmesh
pixelshader vertexcolour
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
pixelconstant 0 MeshColor
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
