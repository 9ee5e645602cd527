// The forward renderer's spot passes over lit meshes ("mesh_lit") and meshes without normals
// ("mesh"): slot 0's texture times the vertex colour, lit by the current spot light
// (TLightSettings) within its range and cone, added onto what the directional pass drew. Its
// twin forward_spot_colour.fx draws untextured meshes.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector[20] TLightSettings
annotation string plugin = "TLightSettings"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader forwardlit
pixelshader forwardspot
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
pixelconstant 0 TLightSettings
pixelconstant 20 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate SrcBlend = One
renderstate DestBlend = One
