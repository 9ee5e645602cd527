// Decals with a mask: slot 0's texture times slot 3's mask times the vertex colour, blended by alpha.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter texture Color0 shared
parameter texture Mask shared
technique defaultshader
pass p0
vertexshader mesh
pixelshader decalmask
vertexconstant 0 TFinalMatrix
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Wrap
samplerstate 0 AddressV = Wrap
texture 3 Mask
samplerstate 3 MagFilter = Linear
samplerstate 3 MinFilter = Linear
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
renderstate ColorWriteEnable1 = 0
renderstate ColorWriteEnable2 = 0
renderstate ColorWriteEnable3 = 0
