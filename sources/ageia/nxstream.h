#pragma once
// TNxStream: the physics layer's byte stream over an engine stream, for cooking (stores) and
// for loading cooked meshes (reads). It does not own the engine stream. A short transfer is
// logged and the operation goes on with what was transferred (missing bytes read as zero).
#include "platform/physics/nxstream.h"

class TStream;

class TNxStream : public NxStream
{
public:
    explicit TNxStream(TStream& stream) : m_pStream(&stream) {}

    NxU8 readByte() const override;
    NxU16 readWord() const override;
    NxU32 readDword() const override;
    NxF32 readFloat() const override;
    NxF64 readDouble() const override;
    void readBuffer(void* buffer, NxU32 size) const override;
    NxStream& storeByte(NxU8 b) override;
    NxStream& storeWord(NxU16 w) override;
    NxStream& storeDword(NxU32 d) override;
    NxStream& storeFloat(NxF32 f) override;
    NxStream& storeDouble(NxF64 f) override;
    NxStream& storeBuffer(const void* buffer, NxU32 size) override;

private:
    template <class T> T _Read() const;
    template <class T> void _Write(T value);

    TStream* m_pStream;
};

static_assert(sizeof(TNxStream) == 8);
