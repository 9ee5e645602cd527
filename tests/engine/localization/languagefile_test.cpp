#include "engine/localization/languagefile.h"

#include "languageimage.h"

#include <gtest/gtest.h>

namespace
{
u32 Parse(TLanguageFile& file, const std::string& image)
{
    return file.Parse(reinterpret_cast<const u8*>(image.data()), static_cast<u32>(image.size()), "test");
}

std::u16string TextOf(TLanguageFile& file, const char* name)
{
    const u32 id = TName(name).GetId();
    for (i32 i = 0; i < file.GetEntries().GetCount(); ++i)
        if (file.GetEntries()[i].nName == id)
            return file.GetText().GetData() + file.GetEntries()[i].nText;
    return u"<missing>";
}
} // namespace

TEST(LanguageFile, BothVersionsRead)
{
    TLanguageFile file;
    ASSERT_EQ(Parse(file, LanguageImage(1001, "English", "en", {{"hello", u"Hello"}, {"bye", u"Good bye"}})),
              LANGUAGE_LOADED);
    EXPECT_EQ(TextOf(file, "bye"), u"Good bye");

    // Version 1000 has no code: the first three letters of the name, lower case.
    ASSERT_EQ(Parse(file, LanguageImage(1000, "Deutsch", "", {{"hello", u"Hallo \u00e4"}})), LANGUAGE_LOADED);
    EXPECT_STREQ(file.GetName(), "Deutsch");
    EXPECT_STREQ(file.GetCode(), "deu");
    EXPECT_EQ(TextOf(file, "hello"), u"Hallo \u00e4");
}

TEST(LanguageFile, DamagedFilesAreRefused)
{
    TLanguageFile file;
    // Texts of 6 and 4 characters: the second entry's offset (byte 12 of the entries) may point
    // at most at the block's last character, 18 bytes in.
    const std::string image = LanguageImage(1001, "English", "en", {{"hello", u"Hello"}, {"bye", u"Bye"}});
    const size_t countAt = 8 + 72, offsetAt = 8 + 80 + 12;
    // Cut anywhere inside the head, the entries or the texts.
    for (size_t size = 0; size < image.size(); ++size)
        EXPECT_NE(Parse(file, image.substr(0, size)), LANGUAGE_LOADED) << size;
    const struct
    {
        size_t at;
        char value;
        u32 result;
    } cases[] = {{0, 'x', LANGUAGE_BAD_MAGIC},          {4, 2, LANGUAGE_BAD_VERSION}, // version 1002
                 {countAt + 3, 0x40, LANGUAGE_DAMAGED},                               // a billion entries
                 {offsetAt, 100, LANGUAGE_DAMAGED},     {offsetAt, 20, LANGUAGE_DAMAGED},
                 {offsetAt, 1, LANGUAGE_DAMAGED}, // inside a character
                 {offsetAt, 18, LANGUAGE_LOADED}};
    for (const auto& c : cases)
    {
        std::string bad = image;
        bad[c.at] = c.value;
        EXPECT_EQ(Parse(file, bad), c.result) << c.at << " " << int(c.value);
    }
    // What a damaged file lacks is never made up: the file is refused whole.
    const TTestTexts texts = {{"hello", u"Hello"}};
    std::string unended = LanguageImage(1001, "English", "en", texts); // the last text without its NUL
    unended.resize(unended.size() - 2);
    unended[8 + 76] -= 2;
    for (const std::string& damaged :
         {unended, LanguageImage(1001, "English", "en", texts) + "xy", // bytes behind the text block
          LanguageImage(1001, "", "en", {}), LanguageImage(1001, "English", "", {}),
          // Name and code filling their fields without an end.
          LanguageImage(1001, std::string(32, 'N'), "en", texts),
          LanguageImage(1001, "English", std::string(8, 'c'), texts),
          LanguageImage(1000, std::string(32, 'N'), "", texts)})
        EXPECT_EQ(Parse(file, damaged), LANGUAGE_DAMAGED) << damaged.size();
    // The longest name and code that end inside their fields are read whole.
    ASSERT_EQ(Parse(file, LanguageImage(1001, std::string(31, 'N'), std::string(7, 'c'), texts)),
              LANGUAGE_LOADED);
    EXPECT_EQ(std::string(file.GetName()), std::string(31, 'N'));
    EXPECT_EQ(std::string(file.GetCode()), std::string(7, 'c'));
    EXPECT_EQ(TextOf(file, "hello"), u"Hello");
}
