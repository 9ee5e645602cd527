// Screen-space motion blur ("ShaderMotionBlur"): the previous image (slot 0) blurred along each pixel's motion since the last blur, from the positions (slot 1).
effect 1
parameter vector[3] TScreenMatrix = 0 0 0 0  1 0 1 0  0 0 0 0
annotation string plugin = "TScreenMatrix"
parameter matrix TFinalMatrixPrev
annotation string plugin = "TFinalMatrixPrev"
parameter matrix TDeferredMatrix
annotation string plugin = "TDeferredMatrix"
parameter vector MotionLimit = 0.05 0 0 0
parameter texture Color0 shared
parameter texture Color1 shared
parameter texture Normal0 shared
technique defaultshader
pass p0
vertexshader canvas2d
pixelshader motionblur
vertexconstant 0 TScreenMatrix
pixelconstant 0 TFinalMatrixPrev
pixelconstant 4 TDeferredMatrix
pixelconstant 8 MotionLimit
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
renderstate CullMode = None
renderstate ZEnable = False
renderstate ZWriteEnable = False
renderstate AlphaBlendEnable = False
