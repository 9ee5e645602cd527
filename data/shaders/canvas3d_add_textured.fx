// Canvas vertices in the world, sampled from slot 0 and coloured by the vertex and "CanvasColor", added to what is there.
effect 1
parameter vector CanvasColor shared = 1 1 1 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas3d
pixelshader textured
vertexconstant 0 TFinalMatrix
pixelconstant 0 CanvasColor
texture 0 Color0
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
