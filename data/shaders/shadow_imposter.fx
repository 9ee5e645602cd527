// Imposters into the shadow map: each square seen from the light (TShadowProjection), its depth
// where its texture is not clear.
effect 1
parameter matrix TShadowProjection
annotation string plugin = "TShadowProjection"
parameter vector ImposterCell = 0.1 0.1 0.1 1
parameter vector[123] TImposterDataParameters
annotation string plugin = "TImposterDataParameters"
technique defaultshader
pass p0
vertexshader forwardimposter
pixelshader shadowdepth
vertexconstant 0 TShadowProjection
vertexconstant 4 ImposterCell
vertexconstant 5 TImposterDataParameters
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
