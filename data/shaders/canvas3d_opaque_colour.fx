// Canvas vertices in the world, coloured by the vertex and "CanvasColor", drawn over what is there.
effect 1
parameter vector CanvasColor shared = 1 1 1 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
technique defaultshader
pass p0
vertexshader canvas3d
pixelshader vertexcolour
vertexconstant 0 TFinalMatrix
pixelconstant 0 CanvasColor
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
