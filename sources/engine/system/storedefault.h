#pragma once
// Writes a constructor default into a stored record at a byte offset of a word whose member
// belongs to a module not built yet.
#include <cstring>

template <class T, class R> void StoreDefault(R* record, unsigned offset, T value)
{
    std::memcpy(reinterpret_cast<unsigned char*>(record) + offset, &value, sizeof(T));
}
