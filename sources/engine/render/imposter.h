#pragma once
// TImposter (stored type 45, 168 bytes): the camera-facing quad that stands in for a distant
// prop. While visible it is a member of the imposter manager's queue, and drawing it queues
// its six vertices with the manager, which draws all imposters of a frame at once.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/render/renderobject.h"
#include <cstring>

struct TImposterData;
class TImposterManager;
class TShader;
class TMesh;
class TNode;

constexpr u32 IMPOSTER_PART_CAPACITY = 12;
constexpr f32 IMPOSTER_ALPHA_GAIN = 1.3f;

class TImposter : public TRenderObject
{
public:
    TImposter()
    {
        std::memset(reinterpret_cast<u8*>(this) + 28, 0, sizeof(*this) - 28);
        m_nClassName = g_NameTImposter.GetId();
    }

    // Both queue the imposter's record with the manager.
    void Draw(TRenderContext* context) override;
    void Render() override;
    // The imposter data's box.
    const TBoundBox* GetBoundBox() override;
    u32 IsTransparent() override { return 1; }

    // Binds the imposter data's textures into the shader and draws the manager's queued
    // imposters and batches with it, with the pass word (1: a shadow pass), while imposters are
    // enabled.
    static void SetupShader(TImposterManager* manager, TShader* shader, u32 pass);
    // Alpha > 0: stores alpha x 1.3 and the fade (both clamped to [0, 1]) and joins the
    // manager's queue; alpha <= 0 leaves it. Either change resets the shadow caster lists.
    void SetFade(f32 fade, f32 alpha);
    // Writes the fade into the materials of the full prop's meshes, once per change.
    void FadeMeshes(f32 value);
    // Resolves the part references (indices into the node array, negative for none) to the
    // first mesh on each node.
    void CollectMeshes(TNode* nodeBase);

    TImposterData* pImposterData;
    f32 m_aColour[4];
    f32 m_fAlpha;
    f32 m_fFade;
    u32 m_nVisible;
    i32 m_aPart[IMPOSTER_PART_CAPACITY];
    f32 m_fMeshFade;
    u32 m_nMeshCount;
    TMesh* aMesh[IMPOSTER_PART_CAPACITY];
    u8 m_aReserved164[4];
};

static_assert(sizeof(TImposter) == 168);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TImposter, pImposterData) == 28);
static_assert(offsetof(TImposter, m_aColour) == 32);
static_assert(offsetof(TImposter, m_fAlpha) == 48);
static_assert(offsetof(TImposter, m_fFade) == 52);
static_assert(offsetof(TImposter, m_nVisible) == 56);
static_assert(offsetof(TImposter, m_aPart) == 60);
static_assert(offsetof(TImposter, m_fMeshFade) == 108);
static_assert(offsetof(TImposter, m_nMeshCount) == 112);
static_assert(offsetof(TImposter, aMesh) == 116);
#pragma GCC diagnostic pop
