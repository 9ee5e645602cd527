#pragma once
// TScriptObject: the stored record a script function belongs to (a prop's script module); its
// second word is its name. No script service is built, so it is only carried by images.
#include "core/system/name.h"

class TScriptObject
{
public:
    TScriptObject() = default;
    virtual ~TScriptObject() = default;

    TName m_Name;
};

static_assert(sizeof(TScriptObject) == 8);
