// The forward renderer's directional pass over meshes of a queue whose define is "DReflection":
// forward_directional.fx with the environment's reflections (TReflection, slots 4 and 5) mixed
// in by the material's reflection amount (TObjectMeshSettings).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter vector[20] TLightSettings
annotation string plugin = "TLightSettings"
parameter vector[2] TReflection
annotation string plugin = "TReflection"
parameter vector[10] TObjectMeshSettings
annotation string plugin = "TObjectMeshSettings"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
parameter texture Env0 shared
parameter texture Env1 shared
technique defaultshader
pass p0
vertexshader forwardlit
pixelshader forwarddirectionalreflect
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
pixelconstant 0 TLightSettings
pixelconstant 20 TReflection
pixelconstant 22 TextureWeight
pixelconstant 23 TObjectMeshSettings
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
texture 4 Env0
texture 5 Env1
samplerstate 4 AddressU = Clamp
samplerstate 4 AddressV = Clamp
samplerstate 5 AddressU = Clamp
samplerstate 5 AddressV = Clamp
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate AlphaBlendEnable = False
