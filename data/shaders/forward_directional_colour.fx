// The forward renderer's directional pass over untextured meshes: forward_directional.fx with
// the vertex colour alone in place of the texture (a texture weight of 0).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector[20] TLightSettings
annotation string plugin = "TLightSettings"
parameter vector TextureWeight = 0 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader forwardlit
pixelshader forwarddirectional
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
pixelconstant 0 TLightSettings
pixelconstant 22 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
