#pragma once
// TDecalPool: the run-time decal geometry of one key (the object it lies on and the decal data
// whose textures it takes): a ring of 16,000 vertices reserved whole when the pool is made. A
// batch that does not fit behind the write position starts again at vertex 0 over the oldest
// geometry; the drawn count is the highest write position reached and is never lowered.
#include "engine/system/nodeobject.h"
#include "igame/effects/decalvertex.h"

#include <memory>

struct TDecalData;

constexpr u32 DECAL_POOL_VERTICES = 16000;

class TDecalPool : public TNodeObject
{
public:
    TDecalPool(const void* object, TDecalData* data);

    // Room for count vertices (at most the capacity; more gives null).
    TDecalVertex* Reserve(u32 count);
    // Nothing is drawn until projections write again, from vertex 0.
    void Clear();

    const void* GetObject() const { return m_pObject; }
    TDecalData* GetData() const { return m_pData; }
    const TDecalVertex* GetVertices() const { return m_pVertices.get(); }
    u32 GetDrawnCount() const { return m_nDrawn; }
    u32 GetWritePosition() const { return m_nWrite; }
    u32 GetLastWritten() const { return m_nLastWritten; }

private:
    const void* m_pObject;
    TDecalData* m_pData;
    std::unique_ptr<TDecalVertex[]> m_pVertices;
    u32 m_nLastWritten = 0;
    u32 m_nWrite = 0;
    u32 m_nDrawn = 0;
};
