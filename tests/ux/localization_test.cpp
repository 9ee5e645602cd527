// UX texts: formatting cut at its limit and loaded garbage.
#include "ux/ux.localization.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
std::u16string Text(const UX::TLocalization& value)
{
    const char16_t* text = value.GetText();
    return text ? std::u16string(text) : std::u16string(u"(null)");
}
} // namespace

TEST(UxLocalization, FormatCutsItsResultAt2047Characters)
{
    UX::TLocalization value;
    EXPECT_EQ(std::u16string(value.Format(u"%d-%s", 42, u"x")), u"42-x");
    const std::u16string longText(3000, u'a');
    value.Format(u"%s", longText.c_str());
    EXPECT_EQ(Text(value).size(), 2047u);
}

// A literal whose capacity lies outside 0..16384 is no text (loaded garbage).
TEST(UxLocalization, AHolderOfAnImpossibleCapacityReadsAsNoText)
{
    char16_t text[] = u"text";
    UX::TLocalization::THolder holder{-5, text};
    UX::TLocalization value;
    // The holder word as a loaded image leaves it.
    UX::TLocalization::THolder* word = &holder;
    std::memcpy(reinterpret_cast<u8*>(&value) + 4, &word, sizeof word);
    EXPECT_FALSE(value.HasText());
    EXPECT_EQ(value.GetText(), nullptr);
    holder.nCapacity = UX::LOCALIZATION_MAX_CAPACITY + 1;
    EXPECT_EQ(value.GetText(), nullptr);
    holder.nCapacity = UX::LOCALIZATION_MAX_CAPACITY;
    EXPECT_EQ(Text(value), u"text");
    value.ForgetLiteral();
}
