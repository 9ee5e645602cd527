#pragma once
// A word of a stored record by its byte offset. Loaded records reach their managers before their
// virtual tables and links are restored, so polymorphic records are read and written there by
// offset, never through their class.
#include "core/system/types.h"

template <class T> T& StoredWord(void* record, u32 offset)
{
    return *reinterpret_cast<T*>(static_cast<u8*>(record) + offset);
}
