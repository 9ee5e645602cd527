// Ambient occlusion ("Shader_ambientocclusion"): the ambient light left at each pixel from the positions (slot 1) and normals (slot 2), into "AORT".
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector[4] TAOParameters
annotation string plugin = "TAOParameters"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture Normal0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader ssao
vertexconstant 0 TScreenMatrix
pixelconstant 0 TAOParameters
pixelconstant 2 TRenderTargetSize
texture 0 Color0
texture 1 Color1
texture 2 Normal0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
samplerstate 1 MagFilter = Point
samplerstate 1 MinFilter = Point
samplerstate 1 AddressU = Clamp
samplerstate 1 AddressV = Clamp
samplerstate 2 MagFilter = Point
samplerstate 2 MinFilter = Point
samplerstate 2 AddressU = Clamp
samplerstate 2 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
