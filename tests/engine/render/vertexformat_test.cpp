#include "engine/render/vertexformat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
TVertexFormat Format(const char* part, u32 count, const TVertexFormatElement* elements)
{
    TVertexFormat format{};
    format.aPart[0] = TName(part, true);
    BuildVertexFormat(format, count, elements);
    return format;
}

const TName s_Position("POSITION", true);
const TName s_TexCoord("TEXCOORD", true);
} // namespace

TEST(VertexFormatTest, StrideAndIdFollowTheElements)
{
    const TVertexFormatElement elements[] = {{s_Position.GetId(), 0, 3, 0}, {s_TexCoord.GetId(), 0, 2, 0},
                                             {s_TexCoord.GetId(), 1, 16, 0}};
    const TVertexFormat format = Format("mesh", 3, elements);
    EXPECT_EQ(12u + 8u + 8u, format.nStride);
    EXPECT_EQ(3u, format.nElementCount);
    EXPECT_STREQ("mesh...|POSITION:000300|TEXCOORD:000200|TEXCOORD:011000|", format.Id.GetText());
    // The same parts and elements give the same id; any difference another.
    EXPECT_EQ(format.Id, Format("mesh", 3, elements).Id);
    EXPECT_NE(format.Id, Format("mesh", 2, elements).Id);
    EXPECT_NE(format.Id, Format("other", 3, elements).Id);
    EXPECT_EQ(0u, VertexElementSize(17));
}

TEST(VertexFormatTest, ASeventeenthElementIsRefused)
{
    TVertexFormatElement elements[VERTEX_FORMAT_ELEMENTS + 1];
    for (u32 i = 0; i <= VERTEX_FORMAT_ELEMENTS; ++i)
        elements[i] = {s_TexCoord.GetId(), i, 1, 0};
    struct
    {
        TVertexFormat format;
        u32 aGuard[4];
    } guarded{};
    guarded.format.aPart[0] = TName("guard", true);
    BuildVertexFormat(guarded.format, VERTEX_FORMAT_ELEMENTS + 1, elements);
    EXPECT_EQ(VERTEX_FORMAT_ELEMENTS, guarded.format.nElementCount);
    EXPECT_EQ(4u * VERTEX_FORMAT_ELEMENTS, guarded.format.nStride);
    EXPECT_EQ(0u, guarded.aGuard[0]);
}
