#pragma once
// TNameManager: the one global table of name texts, for printing and saving. A main table of
// up to 28,000 names with a 1,000,000-character pool, and a keyword table of up to 2,048 names
// with a 90,112-character pool for the command language (command, variable and input-action
// names), which survives the loading of a cluster image. Saved inside cluster images as three
// raw data blocks (the cluster-manager data interface).
#include "core/cluster/clustermanager.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"

constexpr u32 NAME_TABLE_SIZE = 28000;
constexpr u32 NAME_POOL_SIZE = 1000000;
constexpr u32 NAME_KEYWORD_TABLE_SIZE = 2048;
constexpr u32 NAME_KEYWORD_POOL_SIZE = 90112;
// The name table's manager id in the cluster.
constexpr i32 NAME_MANAGER_ID = 1;

typedef TMapKey<u32, const char*> TNameEntry;
static_assert(sizeof(TNameEntry) == 8);

class TNameManager : public TClusterManager
{
public:
    TNameManager();
    ~TNameManager() override;

    // Index of the id when it is already present (the first text stays); otherwise stores the
    // text and returns 0. A full table or pool refuses the text with a log line and returns -1.
    i32 Add(u32 id, const char* text);
    // Copies the name's text (from the main table) into the keyword table; returns the name.
    TName AddKeyword(const TName& name);

    // The text of an id; empty when the id is not in the main table.
    const char* FindText(u32 id) const;
    bool HasKeyword(u32 id) const { return m_KeywordTable.FindKey(id) >= 0; }
    u32 GetCount() const { return m_MainTable.GetCount(); }
    u32 GetPoolCount() const { return m_MainPool.GetCount(); }

    i32 GetDataCount() override;
    i32 GetDataSize() override;
    i32 GetData(i32 index, void*& data, i32& size) override;
    // Blocks 0 and 1 are checked and kept aside; block 2 relocates them and merges the loaded
    // names into the table. A damaged image is refused (result 2) with a log line.
    i32 SetData(i32 index, const void* data, i32 size) override;

private:
    bool CheckLoadedImage(u32 savedPoolAddress);
    void MergeLoadedImage(u32 savedPoolAddress);
    void ForgetLoadedImage();
    const char* AppendText(const char* text, u32 length);

    u32 m_nHeader;
    SSet<TNameEntry, NAME_TABLE_SIZE, u32, 0> m_MainTable;
    [[maybe_unused]] u32 m_nSpare; // not saved
    SSet<TNameEntry, NAME_KEYWORD_TABLE_SIZE, u32, 0> m_KeywordTable;
    SArray<char, NAME_POOL_SIZE, 0> m_MainPool;
    SArray<char, NAME_KEYWORD_POOL_SIZE, 0> m_KeywordPool;
    // Blocks 0 and 1 of an image being loaded, until block 2 arrives.
    DArray<u8> m_aLoadTable;
    DArray<u8> m_aLoadPool;

    friend struct TNameManagerLayout;
};

extern TNameManager* g_pNameManager;
