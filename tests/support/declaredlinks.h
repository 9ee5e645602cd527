#pragma once
// Pins a stored type's declared links against the C++ members they name: the offset of each
// and its count of words against the member's extent. An image round trip takes its positions
// from the declarations themselves, so only such pins find a declaration naming the wrong word.
//   ExpectDeclaredLinks(decl, {LINK(TMesh, pMeshData), RUN(TNode, aChild, "TNodeLink"), ...});
#include "core/cluster/clustertypedecl.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// One declared word run: where the C++ member lies, its bytes, and the end of the declared name.
struct TLinkPin
{
    size_t nOffset;
    size_t nBytes;
    std::string name;
};

// The word of a dynamic array that holds its records' address: {capacity, count, data}.
constexpr size_t LINK_PIN_RUN_DATA = 8;

// Used between "#pragma GCC diagnostic ignored "-Winvalid-offsetof"" and its pop: the stored
// classes are polymorphic.
#define LINK(Type, member) \
    TLinkPin{offsetof(Type, member), sizeof(static_cast<Type*>(nullptr)->member), #member}
// A run of records (a dynamic array): its data word, named after the record type.
#define RUN(Type, member, record) TLinkPin{offsetof(Type, member) + LINK_PIN_RUN_DATA, 4, record}
#define RESOURCE_USES(Type) RUN(Type, aUses, "TResourceLink"), RUN(Type, aUsers, "TResourceLink")

// "array[i].field" of each element of an array of records, the field lying at field bytes into
// each.
template <class Array>
std::vector<TLinkPin> ElementLinks(size_t array, size_t field, const char* arrayName, const char* fieldName)
{
    using Element = std::remove_extent_t<Array>;
    std::vector<TLinkPin> pins;
    for (size_t i = 0; i < std::extent_v<Array>; ++i)
        pins.push_back({array + i * sizeof(Element) + field, 4,
                        std::string(arrayName) + "[" + std::to_string(i) + "]." + fieldName});
    return pins;
}

// A declared name ends with the member's designator after its owners ("TRenderObject::pPrev").
inline bool DeclaredNameEndsWith(const char* text, const std::string& end)
{
    const size_t length = std::strlen(text);
    return length >= end.size() && std::strcmp(text + length - end.size(), end.c_str()) == 0 &&
           (length == end.size() || text[length - end.size() - 1] == ':');
}

// Every declared member is pinned, and every pin is a declared member of that place and extent.
inline void ExpectDeclaredLinks(const TClusterTypeDecl& decl, const std::vector<TLinkPin>& pins)
{
    EXPECT_EQ(pins.size(), decl.GetMemberCount()) << decl.GetName() << ": members without a pin";
    for (const TLinkPin& pin : pins)
    {
        bool found = false;
        for (u32 m = 0; m < decl.GetMemberCount() && !found; ++m)
        {
            const TClusterMemberDecl& member = decl.GetMember(m);
            if (member.nOffset != pin.nOffset || !DeclaredNameEndsWith(member.szName, pin.name))
                continue;
            found = true;
            EXPECT_EQ(4u * member.nCount, pin.nBytes) << decl.GetName() << "." << pin.name << ": count of words";
        }
        EXPECT_TRUE(found) << decl.GetName() << "." << pin.name << " is not declared at " << pin.nOffset;
    }
}
