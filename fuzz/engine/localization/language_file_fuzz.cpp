// Feeds arbitrary bytes to the language-file reader, then reads every text it accepted as the
// localization manager would: each must end inside its block.
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/localization/languagefile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    static bool s_bQuiet = false;
    if (!s_bQuiet)
    {
        // With the file system locked the log's lines would wait in memory for ever.
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
        s_bQuiet = true;
    }
    TLanguageFile file;
    if (file.Parse(data, static_cast<u32>(size), "fuzz") != LANGUAGE_LOADED)
        return 0;
    const DArray<TLanguageEntry>& entries = file.GetEntries();
    const DArray<char16_t>& text = file.GetText();
    for (i32 i = 0; i < entries.GetCount(); ++i)
    {
        if (i > 0 && static_cast<i32>(entries[i - 1].nName) > static_cast<i32>(entries[i].nName))
            std::abort();
        u32 at = entries[i].nText;
        while (text[static_cast<i32>(at)])
            ++at;
        if (at >= static_cast<u32>(text.GetCount()))
            std::abort();
    }
    return 0;
}
