// Film grain ("ShaderFilmGrain"): the previous image (slot 0) with a fixed grain of +-4%.
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter vector FilmGrain = 0.04 0 0 0
parameter texture Color0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader filmgrain
vertexconstant 0 TScreenMatrix
pixelconstant 0 FilmGrain
texture 0 Color0
samplerstate 0 MagFilter = Point
samplerstate 0 MinFilter = Point
samplerstate 0 AddressU = Clamp
samplerstate 0 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
