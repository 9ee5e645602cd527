#include "levelhelp.h"

#include "morvane/game/helpcategory.h"
#include "morvane/ui/uigamemanager.h"

#include <algorithm>
#include <cstdio>
#include <deque>

namespace
{
struct THelpSource
{
    const char* name;
    u32 pages;
    // The picture of the category's pages after the first.
    i32 image;
};

const THelpSource HELP_CATEGORIES[] = {
    {"HelpCategoryAerodrome", 3, 0},
    {"HelpCategoryTasks", 4, 1},
    {"HelpCategoryManagement", 2, 2},
    {"HelpCategoryCameras", 3, 3},
};

std::deque<THelpCategory> s_aCategory;

TName Key(const char* format, u32 category, u32 page)
{
    char text[64];
    std::snprintf(text, sizeof text, format, category, page);
    return TName(text, true);
}
} // namespace

i32 AddLevelHelp(TClusterManager** managers, i32 count)
{
    s_aCategory.clear();
    DArray<THelpCategory*>& categories = g_pUIGameManager->HelpCategories();
    for (u32 c = 0; c < sizeof HELP_CATEGORIES / sizeof HELP_CATEGORIES[0]; ++c)
    {
        const THelpSource& source = HELP_CATEGORIES[c];
        THelpCategory& category = s_aCategory.emplace_back();
        category.Name = TName(source.name, true);
        category.nPageCount = source.pages;
        for (u32 p = 0; p < source.pages; ++p)
        {
            category.aPageText[p].Key = Key("HelpPage%u_%uText", c, p);
            category.aPageKeyText[p].Key = Key("HelpPage%u_%uKeys", c, p);
            if (p > 0)
            {
                char image[32];
                std::snprintf(image, sizeof image, "Help Image %d", source.image);
                category.aPageImage[p] = TName(image, true);
            }
        }
        categories.Add(&category);
    }
    if (std::find(managers, managers + count, g_pUIGameManager) == managers + count)
        managers[count++] = g_pUIGameManager;
    return count;
}
