// Canvas vertices in screen units, coloured by the vertex and "CanvasColor", added to what is there.
effect 1
parameter vector CanvasColor shared = 1 1 1 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader vertexcolour
vertexconstant 0 TScreenMatrix
pixelconstant 0 CanvasColor
renderstate CullMode = None
renderstate ZEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
