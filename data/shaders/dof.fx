// Depth of field ("ShaderDOF"): the previous image (slot 0) blurred by distance from the focus (slot 1 the positions), masked by the settings' depth-of-field textures (slots 7 and 8).
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector DepthOfField = 30 120 4 0
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture User1 shared
parameter texture User2 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader dof
vertexconstant 0 TScreenMatrix
pixelconstant 0 DepthOfField
pixelconstant 2 TRenderTargetSize
texture 0 Color0
texture 1 Color1
texture 7 User1
texture 8 User2
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 7 MagFilter = Linear
samplerstate 7 MinFilter = Linear
samplerstate 7 AddressU = Clamp
samplerstate 7 AddressV = Clamp
samplerstate 8 MagFilter = Linear
samplerstate 8 MinFilter = Linear
samplerstate 8 AddressU = Clamp
samplerstate 8 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
