// The game's 3D lines in the world: the vertex colour blended by its alpha over what is drawn,
// depth-tested without writing depth. Into a bound G-buffer it darkens the surface colour only.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector LineColor = 1 1 1 1
technique defaultshader
pass p0
vertexshader mesh
pixelshader vertexcolour
vertexconstant 0 TFinalMatrix
pixelconstant 0 LineColor
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
