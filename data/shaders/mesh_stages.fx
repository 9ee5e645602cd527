// A mesh placed by its world matrix, its slot 0 and slot 1 textures multiplied, times its vertex colour.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector MeshColor = 1 1 1 1
parameter texture Color0 shared
parameter texture Color1 shared
technique defaultshader
pass p0
vertexshader texturestages
pixelshader texturestages
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
pixelconstant 0 MeshColor
texture 0 Color0
texture 1 Color1
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
