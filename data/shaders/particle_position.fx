// Particles in the deferred renderer's transparency-position pass ("DPositionOutput"): they leave
// the positions alone, so that the shadows of what is behind smoke stay where they are.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector TextureWeight = 0 0 0 0
technique defaultshader
pass p0
vertexshader mesh
pixelshader particle
vertexconstant 0 TFinalMatrix
pixelconstant 0 TextureWeight
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
renderstate ColorWriteEnable = 0
