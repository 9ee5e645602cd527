// The localization console commands "language" and "language_list", and the variable
// "localization_showid".
#include "core/system/findfile.h"
#include "core/system/string.h"
#include "core/system/unistring.h"
#include "engine/localization/localization.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"

#include <cstring>

class TCommandlanguage : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        if (!CheckAtLeast(instruction, 1))
            return;
        TLocalizationManager& localization = TLocalizationManager::Instance();
        if (localization.IsLocked())
            return;
        // A second word locks the language against every later command.
        if (instruction.nArgumentCount >= 2)
            localization.SetLocked(1);
        const TName language = CommandArgument(instruction, 0);
        if (localization.SetLanguage(language) != 0)
            TCommandManager::Instance().PrintError("'%s': undeclared language", language.GetText());
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        TLocalizationManager& localization = TLocalizationManager::Instance();
        if (tokenCount != 1 || localization.IsLocked())
            return;
        char text[256];
        for (i32 i = 0; i < localization.GetLanguageCount(); ++i)
        {
            FormatStringN(text, sizeof text, "%s%s ", before, localization.GetLanguageName(i).GetText());
            AddCompletion(candidates, text);
            AddCompletion(descriptions, "Official language");
        }
        TFindFile find;
        for (u32 found = find.First(u"data/*.language"); found == 0; found = find.Next())
        {
            char name[FIND_NAME_SIZE * 3];
            Utf16ToUtf8(name, sizeof name, find.GetName());
            if (char* extension = std::strrchr(name, '.'))
                *extension = 0;
            FormatStringN(text, sizeof text, "%s%s ", before, name);
            AddCompletion(candidates, text);
            AddCompletion(descriptions, "External language pack");
        }
    }
};

class TCommandlanguage_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        TLocalizationManager& localization = TLocalizationManager::Instance();
        if (prepare != COMMAND_RUN || localization.IsLocked())
            return;
        TName filter;
        if (instruction.nArgumentCount >= 1)
            filter.SetId(instruction.aArgument[0]);
        for (i32 i = 0; i < localization.GetLanguageCount(); ++i)
        {
            const char* name = localization.GetLanguageName(i).GetText();
            if (std::strstr(name, filter.GetText()))
                TCommandManager::Instance().Print("   %s (%s)", name,
                                                  localization.GetLanguageCode(i).GetText());
        }
    }
};

class Tlocalization_showidVariable : public TVariable
{
public:
    Tlocalization_showidVariable() : TVariable("localization_showid", "show localization id", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override { TLocalizationManager::Instance().SetShowId(m_Value.ToInt()); }
};

namespace
{
TCommandlanguage s_Commandlanguage;
TCommandlanguage_list s_Commandlanguage_list;
Tlocalization_showidVariable s_localization_showidVariable;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("language", "set game text language", "Sets game text localization language.",
                            &s_Commandlanguage, 0);
    manager.RegisterCommand("language_list", "list game text languages",
                            "List all supported game text languages.", &s_Commandlanguage_list, 0);
    return 0u;
}();
} // namespace
