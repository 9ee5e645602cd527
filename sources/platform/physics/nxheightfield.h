#pragma once
// A grid of 16-bit height samples, each with two material bytes. Rows run along the local X
// axis, columns along Z, heights up Y. Holes and the thickness are stored, not simulated.
#include <vector>
#include "platform/physics/nxtypes.h"

enum NxHeightFieldFormat { NX_HF_S16_TM = 1 };

struct NxHeightFieldSample
{
    NxI16 height;
    NxU8 materialIndex0; // low 7 bits; the top bit chooses the cell's diagonal (carried only)
    NxU8 materialIndex1;
};
static_assert(sizeof(NxHeightFieldSample) == 4);

struct NxHeightFieldDesc
{
    NxU32 nbRows = 0;
    NxU32 nbColumns = 0;
    NxHeightFieldFormat format = NX_HF_S16_TM;
    NxU32 sampleStride = 4;
    const void* samples = nullptr;
    NxReal verticalExtent = 0;
    NxReal thickness = -1;
    NxReal convexEdgeThreshold = 0;
    NxU32 flags = 0;
};

class NxHeightField
{
public:
    explicit NxHeightField(const NxHeightFieldDesc& desc);

    NxU32 getNbRows() const { return rows_; }
    NxU32 getNbColumns() const { return columns_; }
    NxReal getThickness() const { return thickness_; }
    const NxHeightFieldSample& getSample(NxU32 row, NxU32 column) const { return samples_[row * columns_ + column]; }
    NxU32 getReferenceCount() const { return references_; }

    // Layer side: the heights column after column, as the back end's grid wants them.
    const NxI16* gridHeights() const { return grid_.data(); }
    NxI16 minHeight() const { return minHeight_; }
    NxI16 maxHeight() const { return maxHeight_; }
    void addReference() { ++references_; }
    void removeReference() { --references_; }

private:
    NxU32 rows_;
    NxU32 columns_;
    NxReal thickness_;
    std::vector<NxHeightFieldSample> samples_;
    std::vector<NxI16> grid_;
    NxI16 minHeight_ = 0;
    NxI16 maxHeight_ = 0;
    NxU32 references_ = 0;
};
