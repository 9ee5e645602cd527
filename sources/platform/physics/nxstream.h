#pragma once
// The byte stream through which cooked meshes are written and read; the engine implements it.
#include "platform/physics/nxtypes.h"

class NxStream
{
public:
    virtual ~NxStream() = default;
    virtual NxU8 readByte() const = 0;
    virtual NxU16 readWord() const = 0;
    virtual NxU32 readDword() const = 0;
    virtual NxF32 readFloat() const = 0;
    virtual NxF64 readDouble() const = 0;
    virtual void readBuffer(void* buffer, NxU32 size) const = 0;
    // Bytes left to read, so a reader can check a stored count before it allocates or loops.
    virtual NxU32 getAvailableBytes() const = 0;
    virtual NxStream& storeByte(NxU8 b) = 0;
    virtual NxStream& storeWord(NxU16 w) = 0;
    virtual NxStream& storeDword(NxU32 d) = 0;
    virtual NxStream& storeFloat(NxF32 f) = 0;
    virtual NxStream& storeDouble(NxF64 f) = 0;
    virtual NxStream& storeBuffer(const void* buffer, NxU32 size) = 0;
};
