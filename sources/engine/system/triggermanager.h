#pragma once
// TTriggerManager ("Trigger"): holds the trigger volumes, the list of volumes to test and the
// actors a level loads, and tests them when a node moves: an actor's move is a swept test of
// the segment from its last position against every volume, a volume's move a point test of
// every actor. It has no work of its own per frame, and no event fires while a state image
// loads (from its pass 0 to its pass 4). Main thread only.
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "core/cluster/clustermethods.h"
#include "engine/system/manager.h"
#include "engine/system/statemethods.h"

class TTriggerActor;
class TTriggerGeometry;
struct TTriggerGeometryLink;

class TTriggerManager : public TManager, public TClusterMethods, public TStateMethods
{
public:
    TTriggerManager();

    // Point test of one actor against every volume of the link list.
    void _TestActor(TTriggerActor* actor, const TVector& position);
    // Swept test of an actor's move from its last position to position.
    void _TestMovedActor(TTriggerActor* actor, const TVector& position);
    // A volume's node moved: every actor is tested at its node's position.
    void OnGeometryMoved(TTriggerGeometry* geometry);

    u32 IsEnabled() const { return m_nEnabled; }

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TTriggerGeometry*>& Geometries() { return m_aGeometry; }
    DArray<TTriggerGeometryLink*>& Links() { return m_aLink; }
    DArray<TTriggerActor*>& Actors() { return m_aActor; }

    void BeginManager() override;
    // Links of a loaded list may name any stored object: those that do not name a volume of
    // the volume array are cut with a log line.
    void OnClusterLoad() override;
    void OnClusterUnload() override {}
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

private:
    void Enter(TTriggerActor* actor, TTriggerGeometry* geometry);
    void Exit(TTriggerActor* actor, TTriggerGeometry* geometry);

    DArray<TTriggerGeometry*> m_aGeometry;
    DArray<TTriggerGeometryLink*> m_aLink;
    DArray<TTriggerActor*> m_aActor;
    u32 m_nEnabled;
};

extern TTriggerManager* g_pTriggerManager;
