#include "engine/render/vertexformat.h"

#include <gtest/gtest.h>


namespace
{
const TName s_TexCoord("TEXCOORD", true);
} // namespace

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
