#pragma once
// TLocalizationManager ("Localization"): the game's texts in up to 16 languages, each a table
// of {name id, text} sorted by name id. Languages come from language files
// "data/<name>.language", loaded when first selected, or from the raw data blocks of a cluster
// image (manager id 3): the names, the codes, one shared text block and each language's
// entries. GetText answers a name's text in the current language, falling back to the name's
// own text.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/localization/languagefile.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TLocalizationMethods;

constexpr u32 LOCALIZATION_LANGUAGE_COUNT = 16;
constexpr u32 LOCALIZATION_LISTENER_COUNT = 64;
constexpr i32 LOCALIZATION_MANAGER_ID = 3;
// Data blocks: names, codes, the shared text block, then the entries of each language.
constexpr i32 LOCALIZATION_BLOCK_NAMES = 0;
constexpr i32 LOCALIZATION_BLOCK_CODES = 1;
constexpr i32 LOCALIZATION_BLOCK_TEXT = 2;
constexpr i32 LOCALIZATION_BLOCK_ENTRIES = 3;
constexpr i32 LOCALIZATION_BLOCK_COUNT = LOCALIZATION_BLOCK_ENTRIES + LOCALIZATION_LANGUAGE_COUNT;
// GetTextTemp's buffer, in characters.
constexpr u32 LOCALIZATION_TEMP_SIZE = 4096;

// One language: its entries, sorted by name id, and, for a language read from a file, its own
// text block. An entry's text word is an offset in characters into the own block when there is
// one, else into the shared text block.
struct TLanguageSlot
{
    DArray<TLanguageEntry> aEntry;
    DArray<char16_t> aText;
};

class TLocalizationManager : public TManager, public TClusterMethods, public TResourceMethods
{
public:
    static TLocalizationManager& Instance();

    // 0 when the language (a name or a code, in any letter case) is now current, 1 when it
    // cannot be found or loaded.
    u32 SetLanguage(const TName& language);
    // The name's text in the current language, cut to the capacity in characters; with expand,
    // its $(name) references are expanded.
    char16_t* GetText(char16_t* buffer, u32 capacity, const TName& name, bool expand);
    // The same into one static buffer, overwritten by the next call.
    const char16_t* GetTextTemp(const TName& name, bool expand);
    // Whether the current language has a text of the name (false without a current language).
    bool HasText(const TName& name) const
    {
        u32 room = 0;
        return FindText(name, room) != nullptr;
    }
    // Appends a listener unless it is listed; fatal while the manager system is locked.
    void AddMethod(TLocalizationMethods* listener);
    void RemoveMethod(TLocalizationMethods* listener);

    // Loads "data/<language>.language" into the next free slot: LANGUAGE_LOADED, or
    // LANGUAGE_BAD_MAGIC (no free slot, no file), LANGUAGE_BAD_VERSION, LANGUAGE_DAMAGED.
    u32 LoadLanguageFile(const char* language);

    i32 GetLanguageCount() const { return static_cast<i32>(m_aLanguageName.GetCount()); }
    const TName& GetLanguageName(i32 index) const { return m_aLanguageName[static_cast<u32>(index)]; }
    // The empty name when the language has no code.
    TName GetLanguageCode(i32 index) const;
    i32 GetCurrentLanguage() const { return m_nCurrentLanguage; }
    // The name of the current language; the empty name when none is current.
    TName GetCurrentLanguageName() const;

    // The language lock of the "language" command and the show-id switch.
    void SetLocked(u32 locked) { m_nLocked = locked; }
    bool IsLocked() const { return m_nLocked != 0; }
    void SetShowId(i32 showId) { m_nShowId = showId; }

    // Cluster data blocks.
    i32 GetDataCount() override;
    i32 GetDataSize() override;
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;
    // A language asked for before the cluster arrived is asked for again.
    void OnClusterLoad() override;
    // The shared text block lives in the image being unloaded: it is let go, so that languages
    // from cluster data fall back to the names' own texts instead of reading freed memory.
    void OnClusterUnload() override;

    void BeginManager() override;

private:
    TLocalizationManager();
    void Activate(i32 slot);
    // The text of the entry of the name in the current language and its room (the characters
    // up to the end of its block); null when there is none.
    const char16_t* FindText(const TName& name, u32& room) const;

    TLanguageSlot m_aSlot[LOCALIZATION_LANGUAGE_COUNT];
    DArray<char16_t> m_aSharedText;
    SArray<TName, LOCALIZATION_LANGUAGE_COUNT, 1> m_aLanguageName;
    SArray<TName, LOCALIZATION_LANGUAGE_COUNT, 1> m_aLanguageCode;
    i32 m_nCurrentLanguage;
    TName m_RequestedLanguage;
    SArray<TLocalizationMethods*, LOCALIZATION_LISTENER_COUNT, 0> m_aListener;
    u32 m_nLoading;
    u32 m_nLocked;
    i32 m_nShowId;
};

extern TLocalizationManager* g_pLocalizationManager;
