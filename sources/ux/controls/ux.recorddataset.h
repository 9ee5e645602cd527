#pragma once
// TRecordDataSet: an array of records (or of pointers to records) shown through a column table
// of field names, types and byte offsets: the game's list screens.
#include "ux/controls/ux.dataset.h"

namespace UX
{
// A record whose computed columns (offset 65535) it answers itself.
class TDataRecord
{
public:
    virtual ~TDataRecord() = default;
    virtual void GetValue(u32 row, const TDataColumn& column, void* out, u32 type) const = 0;
};

// The column description a list screen hands to Assign: the columns and the record stride.
struct TRecordLayout
{
    TDataColumns aColumn;
    u16 nStride;
};

// The row count it keeps is 16 bits.
constexpr u32 RECORD_ROW_LIMIT = 65535;

class TRecordDataSet : public TDataSet
{
public:
    TRecordDataSet() = default;

    // The layout's columns and stride, the data, its row count and whether it holds pointers.
    // Refused, with an error line and the set left as it was, for more than 65,535 rows or a
    // column whose type is unknown or whose cell passes the stride.
    bool Assign(const void* data, u32 rows, const TRecordLayout& layout, bool indirect);

    u32 GetCount() const override { return pData ? nRowCount : 0; }
    void SetRowCount(u16 count) override { nRowCount = count; }
    void GetValue(u32 row, u32 column, void* out, u32 type) const override;

    u16 nStride = 0;
    u16 nRowCount = 0;
    const u8* pData = nullptr;
    u8 bIndirect = 0;
};
} // namespace UX
