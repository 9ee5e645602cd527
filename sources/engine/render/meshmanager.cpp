#include "engine/render/meshmanager.h"

#include "engine/render/mesh.h"

TMeshManager* g_pMeshManager = nullptr;

void TMeshManager::AddAnimated(TMesh* mesh)
{
    if (mesh->pAnimatedPrev || mesh->pAnimatedNext || m_pAnimatedFirst == mesh)
        return;
    mesh->pAnimatedPrev = m_pAnimatedLast;
    if (m_pAnimatedLast)
        m_pAnimatedLast->pAnimatedNext = mesh;
    else
        m_pAnimatedFirst = mesh;
    m_pAnimatedLast = mesh;
}

void TMeshManager::RemoveAnimated(TMesh* mesh)
{
    if (!mesh->pAnimatedPrev && !mesh->pAnimatedNext && m_pAnimatedFirst != mesh)
        return;
    if (mesh->pAnimatedPrev)
        mesh->pAnimatedPrev->pAnimatedNext = mesh->pAnimatedNext;
    else
        m_pAnimatedFirst = mesh->pAnimatedNext;
    if (mesh->pAnimatedNext)
        mesh->pAnimatedNext->pAnimatedPrev = mesh->pAnimatedPrev;
    else
        m_pAnimatedLast = mesh->pAnimatedPrev;
    mesh->pAnimatedPrev = mesh->pAnimatedNext = nullptr;
}

void TMeshManager::ClearAnimated()
{
    while (m_pAnimatedFirst)
        RemoveAnimated(m_pAnimatedFirst);
}

void TMeshManager::AnimateTextures(f32 t)
{
    TMesh* mesh = m_pAnimatedFirst;
    while (mesh)
    {
        TMesh* next = mesh->pAnimatedNext;
        mesh->AnimateTexture(t);
        if (!mesh->m_TextureAnimation.m_nActive)
            RemoveAnimated(mesh);
        mesh = next;
    }
}
