#pragma once
// TNxStream: the physics layer's byte stream over an engine stream, for cooking (stores) and
// for loading cooked meshes (reads). It does not own the engine stream. A short transfer is
// logged (once per stream: a damaged count must not flood the log) and the operation goes on
// with what was transferred. Missing bytes read as all ones: no sound count or index is that,
// so a reader that trusts a damaged count stops at the first value it checks.
#include "core/system/types.h"
#include "platform/physics/nxstream.h"

class TStream;

constexpr u8 MISSING_BYTE = 0xFF;

class TNxStream : public NxStream
{
public:
    explicit TNxStream(TStream& stream) : m_pStream(&stream), m_bShort(false) {}

    NxU8 readByte() const override;
    NxU16 readWord() const override;
    NxU32 readDword() const override;
    NxF32 readFloat() const override;
    NxF64 readDouble() const override;
    void readBuffer(void* buffer, NxU32 size) const override;
    NxU32 getAvailableBytes() const override;
    NxStream& storeByte(NxU8 b) override;
    NxStream& storeWord(NxU16 w) override;
    NxStream& storeDword(NxU32 d) override;
    NxStream& storeFloat(NxF32 f) override;
    NxStream& storeDouble(NxF64 f) override;
    NxStream& storeBuffer(const void* buffer, NxU32 size) override;

    // Whether a transfer came short (what was read then is not what was stored).
    bool IsShort() const { return m_bShort; }

private:
    template <class T> T _Read() const;
    template <class T> void _Write(T value);

    // Whether a transfer came short already.
    bool Short(i32 done, u32 size) const;

    TStream* m_pStream;
    mutable bool m_bShort;
};

static_assert(sizeof(TNxStream) == 12);
