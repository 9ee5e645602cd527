// Particles without a texture into the shadow map: their depth where the vertex colour is more
// than half opaque.
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter vector TextureWeight = 0 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader mesh
pixelshader particleshadow
vertexconstant 0 TFinalMatrix
pixelconstant 0 TextureWeight
texture 0 Color0
samplerstate 0 MagFilter = Linear
samplerstate 0 MinFilter = Linear
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = True
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = False
renderstate AlphaTestEnable = True
renderstate AlphaRef = 128
renderstate AlphaFunc = Greater
