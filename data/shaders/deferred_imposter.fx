// The deferred renderer's imposters ("imposter" layout): their sun-lit colour into Color and
// nothing drawn into the other targets' w, so that the lights leave them as they are.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector ImposterCell = 0.1 0.1 0.1 1
parameter vector[123] TImposterDataParameters
annotation string plugin = "TImposterDataParameters"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader forwardimposter
pixelshader gbufferflat
vertexconstant 0 TFinalMatrix
vertexconstant 4 ImposterCell
vertexconstant 5 TImposterDataParameters
texture 0 Color0
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
renderstate AlphaTestEnable = True
renderstate AlphaRef = 128
renderstate AlphaFunc = GreaterEqual
