#pragma once
// TAudioOutput: where the mastering voice's quanta go, as 16-bit interleaved frames.
#include "platform/windef/windef.h"

#include <cstdint>

class TAudioOutput
{
public:
    virtual ~TAudioOutput() = default;
    // One quantum; an output paced by its device waits here for room.
    virtual void Write(const std::int16_t* samples, UINT32 frames) = 0;
    // False: the mixer paces itself by the clock.
    virtual bool PacedByDevice() const = 0;
    // Ends a wait in Write (the mixer is stopping).
    virtual void Interrupt() {}
};

// An output without a device: the quanta are dropped.
class TSilentOutput final : public TAudioOutput
{
public:
    void Write(const std::int16_t*, UINT32) override {}
    bool PacedByDevice() const override { return false; }
};
