#pragma once
// TResourceMethods: the resource manager's listener interface. Its notifications come with
// the resource manager itself; until then listeners only register.
class TResourceMethods
{
public:
    virtual ~TResourceMethods() = default;
};
