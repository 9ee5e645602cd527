// Copies of one mesh, each placed by its instance matrix and tinted by its instance colour.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix[48] TObjectInstanceMatrix
annotation string plugin = "TObjectInstanceMatrix"
parameter vector[48] TObjectInstanceColor
annotation string plugin = "TObjectInstanceColor"
parameter vector MeshColor = 1 1 1 1
technique defaultshader
pass p0
vertexshader instancedmesh
pixelshader vertexcolour
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectInstanceMatrix
vertexconstant 196 TObjectInstanceColor
pixelconstant 0 MeshColor
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
