// The lens flares' occlusion square: canvas vertices in the world, depth-tested against the
// scene, writing neither colour nor depth; an occlusion query counts the pixels that pass.
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
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate ColorWriteEnable = 0
renderstate AlphaBlendEnable = False
