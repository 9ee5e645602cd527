#include "engine/system/nodekindnames.h"

#include <gtest/gtest.h>

TEST(NodeKindNames, AreInTheNameTableWithTheirTexts)
{
    const std::pair<const TName*, const char*> kinds[] = {
        {&g_NameIgnoreNodeObjectUpdate, "IgnoreNodeObjectUpdate"},
        {&g_NameTRenderObject, "TRenderObject"},
        {&g_NameTMesh, "TMesh"},
        {&g_NameTLight, "TLight"},
        {&g_NameTCamera, "TCamera"},
        {&g_NameTImposter, "TImposter"},
        {&g_NameTEnvironment, "TEnvironment"},
        {&g_NameTParticleEmitter, "TParticleEmitter"},
        {&g_NameTParticleNodeSystem, "TParticleNodeSystem"},
        {&g_NameTParticleGlobalArea, "TParticleGlobalArea"},
        {&g_NameTProp, "TProp"},
        {&g_NameTDynamicsGeometry, "TDynamicsGeometry"},
        {&g_NameTDynamicsBody, "TDynamicsBody"},
        {&g_NameTDynamicsJoint, "TDynamicsJoint"},
        {&g_NameTSkeleton, "TSkeleton"},
        {&g_NameTCollisionMesh, "TCollisionMesh"},
        {&g_NameTTriggerGeometry, "TTriggerGeometry"},
        {&g_NameTTriggerActor, "TTriggerActor"},
        {&g_NameTDynamicDecal, "TDynamicDecal"},
        {&g_NameTController, "TController"},
        {&g_NameTSound, "TSound"},
        {&g_NameTSoundReverb, "TSoundReverb"},
        {&g_NameTSoundGeometry, "TSoundGeometry"},
    };
    for (const auto& [name, text] : kinds)
    {
        EXPECT_EQ(*name, TName(text)) << text;
        EXPECT_STREQ(name->GetText(), text);
    }
}
