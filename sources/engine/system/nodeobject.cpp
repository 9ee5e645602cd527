#include "engine/system/nodeobject.h"

#include "engine/system/node.h"

TNodeObject::~TNodeObject()
{
    if (pNode)
        pNode->DeleteObject(this);
}

const TMatrix* TNodeObject::GetMatrix()
{
    static const TMatrix s_Identity(1.0f);
    return pNode ? pNode->GetWorldMatrix() : &s_Identity;
}

TNode* TNodeObject::GetNode() const
{
    return pNode ? pNode : &TNode::Empty();
}
