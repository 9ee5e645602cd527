// Canvas vertices in screen units, sampled from slot 0 and coloured by the vertex and "CanvasColor", blended by its alpha.
effect 1
parameter vector CanvasColor shared = 1 1 1 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader textured
vertexconstant 0 TScreenMatrix
pixelconstant 0 CanvasColor
texture 0 Color0
renderstate CullMode = None
renderstate ZEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
