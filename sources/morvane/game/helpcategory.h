#pragma once
// THelpCategory (stored type 166, 328 bytes): one category of the in-game help: its title and up
// to sixteen pages of an image, a text and a key text. The help screen's manager keeps the
// loaded array; the texts are the control library's localised text fields, laid out here as
// their two words (the key, the literal text the screen makes).
#include "core/system/name.h"

#include <cstddef>

class TClusterTypeDecl;

constexpr u16 HELP_CATEGORY_TYPE_ID = 166;
constexpr u32 HELP_PAGE_CAPACITY = 16;

struct THelpText
{
    TName Key;
    u32 nLiteral;
};

static_assert(sizeof(THelpText) == 8);

struct THelpCategory
{
    TName Name;
    u32 nPageCount;
    THelpText aPageText[HELP_PAGE_CAPACITY];
    THelpText aPageKeyText[HELP_PAGE_CAPACITY];
    TName aPageImage[HELP_PAGE_CAPACITY];
};

static_assert(sizeof(THelpCategory) == 328);
static_assert(offsetof(THelpCategory, nPageCount) == 4);
static_assert(offsetof(THelpCategory, aPageText) == 8);
static_assert(offsetof(THelpCategory, aPageKeyText) == 136);
static_assert(offsetof(THelpCategory, aPageImage) == 264);

const TClusterTypeDecl& HelpCategoryDecl();
