// Handing a loaded array over to a manager: the objects made before the load are destroyed
// whatever the cluster cleared first.
#include "core/cluster/cluster.h"
#include "directx/render/dxloadedarray.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/nodeobject.h"
#include "engine/system/scenetypes.h"

#include <gtest/gtest.h>

namespace
{
class TProbe : public TNodeObject
{
};

TEST(LoadedArray, ObjectsMadeHereOutliveTheNodeArrayClearedBeforeThem)
{
    g_ManagerManager.Initialize();
    g_pCluster->Clear();
    MArray<TProbe, 1, 4> array;
    DArray<TProbe*> table;
    const DArray<TProbe*> loaded;
    g_pNodeManager->CreateNode("holder")->AddObject(array.Add());
    // The node array first, as a link that registered the node manager first clears it: its
    // nodes made here are freed, and the object must not reach back into one.
    g_pNodeManager->SetArray(NODE_TYPE_ID, nullptr, 0);
    TakeLoadedArray(array, table, loaded, 0);
    EXPECT_EQ(0, array.GetCount());
}
} // namespace
