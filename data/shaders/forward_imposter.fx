// The forward renderer's imposters ("imposter" layout): each an upright square turned by its
// heading, slot 0's texture times the vertex colour lit by the sun of the imposter parameters
// (TImposterDataParameters), cut away where its alpha is below half (as the deferred renderer's,
// so that plants fade into their quads alike in both).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector ImposterCell = 0.1 0.1 0.1 1
parameter vector[123] TImposterDataParameters
annotation string plugin = "TImposterDataParameters"
parameter vector ImposterTint = 1 1 1 1
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader forwardimposter
pixelshader textured
vertexconstant 0 TFinalMatrix
vertexconstant 4 ImposterCell
vertexconstant 5 TImposterDataParameters
pixelconstant 0 ImposterTint
texture 0 Color0
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
renderstate AlphaTestEnable = True
renderstate AlphaRef = 128
renderstate AlphaFunc = GreaterEqual
