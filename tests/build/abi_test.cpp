// The stored data are memory images of 32-bit objects: these are the assumptions every
// stored layout is written against.
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>

namespace {
struct WithDouble
{
    std::uint32_t a;
    double b;
};
struct WithInt64
{
    std::uint32_t a;
    std::int64_t b;
};
} // namespace

TEST(Abi, ThirtyTwoBitObjectModel)
{
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_EQ(sizeof(long), 4u);
    EXPECT_EQ(sizeof(wchar_t), 4u);
    EXPECT_EQ(sizeof(char16_t), 2u);
    // i386 aligns 64-bit members at 4 inside structures; stored layouts pad explicitly where needed.
    EXPECT_EQ(offsetof(WithDouble, b), 4u);
    EXPECT_EQ(offsetof(WithInt64, b), 4u);
}
