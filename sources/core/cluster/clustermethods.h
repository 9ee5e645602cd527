#pragma once
// TClusterMethods: the interface through which objects hear of cluster loads and unloads
// (TCluster::AddListener).
class TClusterMethods
{
public:
    virtual ~TClusterMethods() = default;
    // Called by TCluster::Clear, before the arrays are emptied.
    virtual void OnClusterUnload() {}
    // Called after a load and by TCluster::NotifyListeners.
    virtual void OnClusterLoad() {}
};
