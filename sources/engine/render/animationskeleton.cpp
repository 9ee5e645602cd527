#include "engine/render/animationskeleton.h"

#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameter.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonpose.h"

VESTAMOR_PLUGIN(TAnimationSkeleton, TShaderParameterPlugin);

TAnimationSkeleton::TAnimationSkeleton()
{
    for (TMatrix& m : m_aMatrix)
        m = TMatrix(1.0f);
}

bool TAnimationSkeleton::ComputeMatrices(TMesh* mesh)
{
    TSkeleton* skeleton = mesh->pSkeleton;
    if (!mesh->pMeshData || !mesh->pMeshData->pSkeletonMeshData || !skeleton || !skeleton->pSkeletonPose ||
        !skeleton->pSkeletonData)
        return false;
    // The mesh data's link names the skin record (stored type 52), which is not a resource.
    TSkeletonMeshData* skin = reinterpret_cast<TSkeletonMeshData*>(mesh->pMeshData->pSkeletonMeshData);
    const TSkeletonPose* pose = skeleton->pSkeletonPose;
    const TMatrix* published = pose->m_pPublished;
    const u32 bones = pose->GetBoneCount(skeleton);
    if (!published)
        return false;
    skin->pSkeleton = skeleton;
    const bool meshSpace = (skeleton->m_nFlags & SKELETON_SKIN_IN_MESH_SPACE) != 0;
    const TMatrix toMesh =
        meshSpace ? TMatrix::Multiply(*skeleton->GetMatrix(), mesh->GetMatrix()->Inverse()) : TMatrix(1.0f);
    const i32 count = skin->m_nPaletteCount < static_cast<i32>(SKELETON_PALETTE_CAPACITY) ? skin->m_nPaletteCount
                                                                                         : SKELETON_PALETTE_CAPACITY;
    for (i32 i = 0; i < count; ++i)
    {
        const u32 bone = skin->aPalette[i];
        if (bone >= bones)
            continue;
        TMatrix m = TMatrix::Multiply(skeleton->pSkeletonData->aBone[bone].Bind, published[bone]);
        m_aMatrix[i] = meshSpace ? TMatrix::Multiply(m, toMesh) : m;
    }
    return true;
}

void TAnimationSkeleton::Apply(TNodeObject* object, TShader*, TShaderParameter* parameter, TMaterial*,
                               const TMeshDescription*)
{
    if (!object || object->GetType() != g_NameTMesh.GetId() || !parameter)
        return;
    if (ComputeMatrices(static_cast<TMesh*>(object)))
        parameter->SetMatrixArray(SKELETON_PALETTE_CAPACITY, m_aMatrix);
}
