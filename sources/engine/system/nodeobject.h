#pragma once
// TNodeObject: base of everything that has a place in the scene (cameras, lights, render
// objects, props, skeletons, trigger volumes ...). An object hangs on at most one node and is
// told when that node moves or its enable state changes. Stored raw in repository images.
#include "core/math/matrix.h"
#include "core/system/name.h"

class TNode;

class TNodeObject
{
public:
    TNodeObject() : pNode(nullptr), m_nClassName(0) {}
    // An attached object leaves its node, which must not keep a link to freed memory.
    virtual ~TNodeObject();
    // The node's world matrix; a shared identity while detached.
    virtual const TMatrix* GetMatrix();
    // The node's effective enable state changed.
    virtual void OnEnable(u32 enabled) {}
    // The node's world matrix changed; cause points at the id of the reason.
    virtual void OnNodeUpdate(const TName* cause) {}

    // The node, or the shared empty node while detached.
    TNode* GetNode() const;
    u32 GetType() const { return m_nClassName; }

    TNode* pNode;
    // The id of the derived class's name; 0 in the base.
    u32 m_nClassName;
};

static_assert(sizeof(TNodeObject) == 12);
