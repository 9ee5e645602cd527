// The object motion blur ("ShaderMotionBlurObject", "mesh" layout): a motion-blur object's mesh drawn over the image so far (slot 6), each pixel smeared towards where its point stood a frame before (the motion block); slot 7 the positions (bound, not read).
effect 1
parameter matrix TFinalMatrix
annotation string plugin = "TFinalMatrix"
parameter matrix TObjectMatrix
annotation string plugin = "TObjectMatrix"
parameter matrix[2] TMotionBlurObjectParam
annotation string plugin = "TMotionBlurObjectParam"
parameter vector[2] TRenderTargetSize
annotation string plugin = "TRenderTargetSize"
parameter vector MotionObjectLimit = 0.06 0 0 0
parameter texture Color0 shared
parameter texture User0 shared
parameter texture User1 shared
technique defaultshader
pass p0
vertexshader motionblurobject
pixelshader motionblurobject
vertexconstant 0 TFinalMatrix
vertexconstant 4 TObjectMatrix
vertexconstant 8 TMotionBlurObjectParam
pixelconstant 0 TRenderTargetSize
pixelconstant 2 MotionObjectLimit
texture 0 Color0
texture 6 User0
texture 7 User1
samplerstate 6 MagFilter = Linear
samplerstate 6 MinFilter = Linear
samplerstate 6 AddressU = Clamp
samplerstate 6 AddressV = Clamp
samplerstate 7 MagFilter = Point
samplerstate 7 MinFilter = Point
samplerstate 7 AddressU = Clamp
samplerstate 7 AddressV = Clamp
renderstate CullMode = None
renderstate ZEnable = True
renderstate ZWriteEnable = False
renderstate ZFunc = LessEqual
renderstate AlphaBlendEnable = False
