#include "engine/system/skeleton.h"

#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/skeletonpose.h"

#include <cstring>

namespace
{
// One pass of the blend program over one bone (or the root): the operands' keys come from
// sample (an animation operand) or the registers. Answers register 0 (the zero key when nothing
// wrote it; the caller's registers hold it) and whether an instruction wrote it. The caller
// reads the answer in place: a copy of a key just written would wait for the writes.
template <class TSample>
const TAnimationKey& RunInstructions(const TBlendProgram& program, u32 count, const TAnimationKey& start,
                                     TAnimationKey (&registers)[BLEND_REGISTER_COUNT], bool& driven, TSample sample)
{
    // Registers other than 1 start as the zero key: a register not yet written reads as it.
    static const TAnimationKey s_Zero{};
    u32 written = 1u << 1;
    registers[1] = start;
    auto read = [&](u32 r) -> const TAnimationKey& { return (written >> r) & 1 ? registers[r] : s_Zero; };
    driven = false;
    for (u32 i = 0; i < count; ++i)
    {
        const TBlendInstruction& instruction = program.aInstruction[i];
        const u32 destination = instruction.nDestination;
        if (destination >= BLEND_REGISTER_COUNT)
            continue;
        // An operand's key; false when the instruction ends there.
        auto fetch = [&](u8 operand, TAnimationKey& key) {
            if (operand < BLEND_OPERAND_REGISTER)
                return operand < BLEND_PROGRAM_SIZE && sample(program.aAnimation[operand], key);
            const u32 r = operand - BLEND_OPERAND_REGISTER;
            if (operand == BLEND_OPERAND_NONE || r >= BLEND_REGISTER_COUNT)
                return false;
            key = read(r);
            return true;
        };
        TAnimationKey a;
        if (!fetch(instruction.nOperandA, a))
            continue;
        // B is read only by the operations that have one.
        TAnimationKey b;
        const bool hasB = instruction.nOperandB != BLEND_OPERAND_NONE && fetch(instruction.nOperandB, b);
        TAnimationKey& out = registers[destination];
        if (!hasB && instruction.nOperation >= BLEND_ADD)
            out = a;
        else if (instruction.nOperation == BLEND_COPY)
            out = a;
        else if (instruction.nOperation == BLEND_ACCUMULATE)
            AddKeys(read(destination), a, out);
        else if (instruction.nOperation == BLEND_ADD)
            AddKeys(a, b, out);
        else if (instruction.nOperation == BLEND_MIX)
            InterpolateKey(a, b, instruction.fFactor, out);
        else
            continue;
        written |= 1u << destination;
        if (destination == 0)
            driven = true;
    }
    return read(0);
}

bool IsIdentity(const TMatrix& m)
{
    static const TMatrix s_Identity(1.0f);
    return std::memcmp(&m, &s_Identity, sizeof m) == 0;
}
} // namespace

void TSkeleton::RequireResources(TSkeleton* skeleton)
{
    if (skeleton->pSkeletonPose)
        skeleton->pSkeletonPose->Require();
    for (u32 i = 0; i < BLEND_PROGRAM_SIZE; ++i)
        if (TAnimation* animation = skeleton->Function.aAnimation[i])
            if (animation->pAnimationData)
                animation->pAnimationData->Require();
}

void TSkeleton::RunProgram(TBlendProgram* program, TSkeleton* skeleton, u32 load)
{
    const u32 instructions =
        program->nInstructionCount > BLEND_PROGRAM_SIZE ? BLEND_PROGRAM_SIZE : program->nInstructionCount;
    TSkeletonPose* pose = skeleton->pSkeletonPose;
    if (!instructions || !pose || !skeleton->pSkeletonData)
        return;
    pose->m_nEvaluated = 0;
    for (u32 i = 0; load && i < BLEND_PROGRAM_SIZE; ++i)
        if (TAnimation* animation = program->aAnimation[i])
            if (animation->pAnimationData)
                animation->pAnimationData->Require();

    const TSkeletonData* data = skeleton->pSkeletonData;
    const TAnimation* first = program->aAnimation[0];
    const bool keepUndriven =
        first && first->pAnimationData && (first->pAnimationData->m_nFlags & ANIMATION_KEEP_UNDRIVEN);
    const u32 count = pose->GetBoneCount(skeleton);
    TAnimationKey registers[BLEND_REGISTER_COUNT];
    bool driven;
    for (u32 b = 0; b < count; ++b)
    {
        const TAnimationKey& result = RunInstructions(*program, instructions, skeleton->aRestKey[b], registers,
                                                      driven, [b](const TAnimation* animation, TAnimationKey& key) {
                                                          return animation && animation->SampleBone(b, key);
                                                      });
        TMatrix& m = pose->m_pWorking[b];
        if (driven)
            m = result.ToMatrix();
        else if (!keepUndriven || IsIdentity(pose->m_pWorkingPrevious[b]))
            m = data->aBone[b].Rest;
        else
            m = pose->m_pWorkingPrevious[b];
    }
    TSkeletonPose::Evaluate(pose, skeleton);

    pose->m_RootKey = RunInstructions(*program, instructions, skeleton->m_RootKey, registers, driven,
                                      [](const TAnimation* animation, TAnimationKey& key) {
                                          if (!animation || !animation->pAnimationData)
                                              return false;
                                          key = animation->pAnimationData->m_RootKey;
                                          return true;
                                      });
}

void TSkeleton::SetBoneFromPhysics(TSkeletonPose* pose, TSkeleton* skeleton, u32 bone, const TMatrix& world,
                                   u32 mode)
{
    if (!pose || bone >= pose->GetBoneCount(skeleton))
        return;
    const TSkeletonData* data = skeleton->pSkeletonData;
    const i32 parent = data->GetParent(bone);
    TMatrix m = world;
    // The bind transform T is taken as the bone's bind matrix.
    if (mode & BONE_THROUGH_BIND)
        m = TMatrix::Multiply(m, data->aBone[bone].Bind);
    if ((mode & BONE_FROM_PARENT_BIND) && parent >= 0)
        m = TMatrix::Multiply(m, data->aBone[parent].Bind);
    if (mode & BONE_INTO_NODE_SPACE)
        m = TMatrix::Multiply(m, skeleton->GetMatrix()->Inverse());
    pose->m_pWorking[bone] = m;
    if (pose->GetConstraintCount() && pose->m_nEvaluated)
        pose->m_pWorkingPrevious[bone] = m;
}

void TSkeleton::PlaceNodes(TSkeleton* skeleton)
{
    TSkeletonPose* pose = skeleton->pSkeletonPose;
    if (!pose || pose->Require() != 0)
        return;
    const u32 bones = pose->GetBoneCount(skeleton);
    const u32 links = skeleton->GetLinkCount();
    // The cause tells the skeleton's own class that the move is its own.
    const TName* cause = &g_NameTSkeleton;
    for (u32 i = 0; i < links; ++i)
    {
        const TBoneNodeLink& link = skeleton->aLinkedNode[i];
        TNode* node = link.pNode;
        if (!node || static_cast<u32>(link.nBone) >= bones)
            continue;
        const TMatrix& published = pose->m_pPublished[link.nBone];
        if (skeleton->m_nFlags < SKELETON_NODES_IN_WORLD)
        {
            if (std::memcmp(&node->GetLocalMatrix(), &published, sizeof published) != 0)
                node->SetLocalMatrix(published, cause);
            continue;
        }
        TMatrix m = TMatrix::Multiply(published, *skeleton->GetMatrix());
        if (TNode* parent = node->GetParent())
            m = TMatrix::Multiply(m, parent->GetWorldMatrix()->Inverse());
        node->SetLocalMatrix(m, cause);
    }
}
