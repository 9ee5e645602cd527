#pragma once
// TResourceMethods: the resource manager's listener interface. The manager raises the first
// notification before it loads a repository; the other four are raised by subsystems that
// come later.
class TResourceMethods
{
public:
    virtual ~TResourceMethods() = default;
    // A repository of this file name is about to load.
    virtual void OnRepositoryLoad(const char* name) {}
    virtual void OnResourceNotify1() {}
    virtual void OnResourceNotify2() {}
    virtual void OnResourceNotify3() {}
    virtual void OnResourceNotify4() {}
};
