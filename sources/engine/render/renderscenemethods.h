#pragma once
// TRenderSceneMethods: listeners of the render-scene manager, told before and after a queue
// with the notify flag is drawn.
struct TRenderQueue;

class TRenderSceneMethods
{
public:
    virtual ~TRenderSceneMethods() = default;
    virtual void BeforeQueue(TRenderQueue* queue) {}
    virtual void AfterQueue(TRenderQueue* queue) {}
};
