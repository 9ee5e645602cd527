#pragma once
// TMeshManager: the engine's side of the mesh manager: the list of meshes whose texture
// coordinates are animated, advanced by the frame time. The Direct3D mesh manager is the one
// implementation (g_pMeshManager).
#include "engine/system/manager.h"

class TMesh;

class TMeshManager : public TManager
{
public:
    // Appends the mesh unless it is on the list already.
    void AddAnimated(TMesh* mesh);
    void RemoveAnimated(TMesh* mesh);
    void ClearAnimated();
    // Advances every mesh of the list by t seconds; a mesh whose animation stopped leaves it.
    void AnimateTextures(f32 t);
    TMesh* GetFirstAnimated() const { return m_pAnimatedFirst; }
    TMesh* GetLastAnimated() const { return m_pAnimatedLast; }

private:
    TMesh* m_pAnimatedFirst = nullptr;
    TMesh* m_pAnimatedLast = nullptr;
};

extern TMeshManager* g_pMeshManager;
