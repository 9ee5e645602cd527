#pragma once
// TCountingWheel: stands in a vehicle's wheel list for a real wheel shape, passing the wheel
// calls on and writing each down: the values a vehicle sends and reads, without touching
// the physics it drives.
#include "ageia/dynamicsgeometry.h"

#include <vector>

class TCountingWheel : public TDynamicsGeometry
{
public:
    struct TSent
    {
        u32 nParameter;
        f32 fValue;
    };

    explicit TCountingWheel(TDynamicsGeometry* wheel) : m_pWheel(wheel) {}

    void SetWheelParameter(u32 parameter, f32 a, f32 b, f32 c, f32 d, f32 e) override
    {
        sent.push_back({parameter, a});
        m_pWheel->SetWheelParameter(parameter, a, b, c, d, e);
    }
    f32 GetWheelParameter(u32 parameter) override
    {
        ++nReads;
        return m_pWheel->GetWheelParameter(parameter);
    }
    u32 CountSent(u32 parameter) const
    {
        u32 count = 0;
        for (const TSent& s : sent)
            count += s.nParameter == parameter ? 1 : 0;
        return count;
    }

    void* GetDescriptor(u32 flags) override { return m_pWheel->GetDescriptor(flags); }
    u32* GetShapeFlags() override { return m_pWheel->GetShapeFlags(); }
    u32* GetShapeFlags2() override { return m_pWheel->GetShapeFlags2(); }
    u32 GetGeometryType() override { return m_pWheel->GetGeometryType(); }
    const TVector& GetSize() override { return m_pWheel->GetSize(); }
    void SetSize(const TVector& size) override { m_pWheel->SetSize(size); }
    u32 IsTrigger() override { return m_pWheel->IsTrigger(); }
    TDynamicsBody* GetBody() override { return m_pWheel->GetBody(); }
    void SetMass(f32 mass) override { m_pWheel->SetMass(mass); }
    f32 GetMass() override { return m_pWheel->GetMass(); }
    void SetGroup(u16 group) override { m_pWheel->SetGroup(group); }
    u16 GetGroup() override { return m_pWheel->GetGroup(); }
    void SetGroupsMask(u16 mask) override { m_pWheel->SetGroupsMask(mask); }
    u16 GetGroupsMask() override { return m_pWheel->GetGroupsMask(); }
    void SetSkinWidth(f32 width) override { m_pWheel->SetSkinWidth(width); }
    f32 GetSkinWidth() override { return m_pWheel->GetSkinWidth(); }
    void SetMaterial(u16 index) override { m_pWheel->SetMaterial(index); }
    u16 GetMaterial() override { return m_pWheel->GetMaterial(); }
    void SetSkeletonBone(u32 which, const TMatrix& matrix) override
    {
        m_pWheel->SetSkeletonBone(which, matrix);
    }

    std::vector<TSent> sent;
    u32 nReads = 0;

private:
    TDynamicsGeometry* m_pWheel;
};
