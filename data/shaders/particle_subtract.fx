// Particles ("particle" layout) taken off the scene by their alpha (the scene less the particle): slot 0's texture times the vertex colour. Its
// twin particle_subtract_colour.fx draws particles without a texture.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector TextureWeight = 1 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader mesh
pixelshader particle
vertexconstant 0 TFinalMatrix
pixelconstant 0 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = True
renderstate BlendOp = RevSubtract
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = One
renderstate ColorWriteEnable1 = 0
renderstate ColorWriteEnable2 = 0
renderstate ColorWriteEnable3 = 0
