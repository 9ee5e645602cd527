#pragma once
// TAnimationSkeleton: the shader-parameter plug-in of skinned draws. For the mesh being drawn it
// writes one skinning matrix per palette entry of the mesh data's skeleton mesh data: the
// bone's bind matrix times its published world matrix (carried into the mesh's node space for
// skeletons with SKELETON_SKIN_IN_MESH_SPACE), as an array of 60 matrices. Entries past the
// palette keep what an earlier draw wrote.
#include "core/math/matrix.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/system/skeletonmeshdata.h"

class TMesh;

class TAnimationSkeleton : public TShaderParameterPlugin
{
public:
    TAnimationSkeleton();

    void Apply(TNodeObject* object, TShader* shader, TShaderParameter* parameter, TMaterial* material,
               const TMeshDescription* mesh) override;
    // The palette's matrices of a drawn mesh into the plug-in's array; false when the mesh has
    // no skin or no evaluated skeleton, leaving the array as it was.
    bool ComputeMatrices(TMesh* mesh);
    const TMatrix* GetMatrices() const { return m_aMatrix; }

private:
    TMatrix m_aMatrix[SKELETON_PALETTE_CAPACITY];
};
