#pragma once
// UX::TDataSet: what a grid view shows: rows of cells, each cell asked for in the representation
// of a column type, and a table of named columns that row controls are bound by.
#include "core/system/name.h"
#include "core/system/templates/sarray.h"

namespace UX
{
constexpr u32 DATA_COLUMN_CAPACITY = 32;
// The offset of a column whose value the record computes itself.
constexpr u16 COLUMN_COMPUTED = 65535;
// A fixed text cell: up to 63 characters and the terminator.
constexpr u32 DATA_STRING_CAPACITY = 64;

// Column types: what GetValue writes into its out parameter.
enum EColumnType : u16
{
    COLUMN_INT8 = 1,     // u8
    COLUMN_INT32 = 2,    // i32
    COLUMN_INT16 = 3,    // i16
    COLUMN_FLOAT = 4,    // f32
    COLUMN_DOUBLE = 5,   // f64
    COLUMN_FILE_TIME = 6, // u64, a file time (UTC)
    COLUMN_KEY = 7,      // TName, a localization key
    COLUMN_TEXT = 8,     // TLocalization
    COLUMN_STRING = 9,   // char16_t[64]
    COLUMN_TEXTURE = 10, // TTexture*
    COLUMN_IMAGE = 11,   // TImage
};

struct TDataColumn
{
    TName Name;
    u16 nType;
    u16 nOffset;
};

static_assert(sizeof(TDataColumn) == 8);

typedef SArray<TDataColumn, DATA_COLUMN_CAPACITY, 0> TDataColumns;

class TDataAdapter
{
public:
    virtual ~TDataAdapter() = default;
};

class TDataSet : public TDataAdapter
{
public:
    virtual u32 GetCount() const = 0;
    // The record data set keeps it as its row count; others ignore it.
    virtual void SetRowCount(u16 count) = 0;
    // Writes the cell in the representation of the type; nothing for what the set cannot give.
    virtual void GetValue(u32 row, u32 column, void* out, u32 type) const = 0;

    // The index of the column of the name, -1 when none has it.
    i32 FindColumn(const TName& name) const;
    // The bytes a cell of the type takes in a record; 0 for no type.
    static u32 ValueSize(u32 type);
    // A fixed text ends within its 64 characters: one without a terminator is cut at 63.
    static void CopyString(char16_t* out, const char16_t* text);

    TDataColumns aColumn;
};
} // namespace UX
