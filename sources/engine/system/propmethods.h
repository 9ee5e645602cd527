#pragma once
// TPropMethods: what game code hears when a prop takes or gives back its full form.
class TProp;
class TPropData;

class TPropMethods
{
public:
    virtual ~TPropMethods() = default;
    virtual void OnPropActivate(TPropData* data, TProp* prop) {}
    virtual void OnPropDeactivate(TProp* prop, TPropData* data) {}
};
