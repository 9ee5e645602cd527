// The softened ambient light ("Shader_ambientocclusion_blur", slot 0 "AORT") multiplied into the scene.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader ssaoapply
vertexconstant 0 TScreenMatrix
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = DestColor
renderstate DestBlend = Zero
