#pragma once
// Builds "ilng" language file images for the tests, entries in the order given.
#include "core/system/name.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<std::string, std::u16string>> TTestTexts;

inline void Put32(std::string& out, u32 value)
{
    out.append(reinterpret_cast<const char*>(&value), 4);
}

inline void PutField(std::string& out, const std::string& text, size_t size)
{
    std::string field(size, '\0');
    std::memcpy(field.data(), text.data(), std::min(size, text.size()));
    out += field;
}

inline std::string LanguageImage(u32 version, const std::string& name, const std::string& code,
                                 const TTestTexts& texts)
{
    std::string entries;
    std::string block;
    for (const auto& [key, text] : texts)
    {
        Put32(entries, TName(key.c_str(), true).GetId());
        Put32(entries, static_cast<u32>(block.size()));
        block.append(reinterpret_cast<const char*>(text.c_str()), 2 * (text.size() + 1));
    }
    std::string image;
    Put32(image, 0x676E6C69);
    Put32(image, version);
    if (version == 1001)
    {
        PutField(image, "", 32);
        PutField(image, name, 32);
        PutField(image, code, 8);
    }
    else
        PutField(image, name, 32);
    Put32(image, static_cast<u32>(texts.size()));
    Put32(image, static_cast<u32>(block.size()));
    return image + entries + block;
}
