// A shadow caster into the shadow map: its depth seen from the light (TShadowProjection), both
// faces.
effect 1
parameter matrix TShadowProjection
annotation string plugin = "TShadowProjection"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
technique defaultshader
pass p0
vertexshader objectmesh
pixelshader shadowdepth
vertexconstant 0 TShadowProjection
vertexconstant 4 TObjectMatrix
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
