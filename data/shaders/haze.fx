// The distance haze over the scene ("ShaderHaze"): the positions (slot 1) give each pixel its
// share of haze, coloured by the haze textures (slots 7 and 8) and the haze vectors.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[4] THazeParameters
annotation string plugin = "THazeParameters"
parameter texture Color1 shared
parameter texture User1 shared
parameter texture User2 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader haze
vertexconstant 0 TScreenMatrix
pixelconstant 0 THazeParameters
texture 1 Color1
texture 7 User1
texture 8 User2
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 7 MagFilter = Linear
samplerstate 7 MinFilter = Linear
samplerstate 7 AddressU = Wrap
samplerstate 7 AddressV = Wrap
samplerstate 8 MagFilter = Linear
samplerstate 8 MinFilter = Linear
samplerstate 8 AddressU = Wrap
samplerstate 8 AddressV = Wrap
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = True
renderstate SrcBlend = SrcAlpha
renderstate DestBlend = InvSrcAlpha
