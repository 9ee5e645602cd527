#include "ux/controls/ux.recorddataset.h"

#include "core/system/log.h"
#include "engine/render/texture.h"
#include "ux/ux.localization.h"
#include "ux/ux.texture.h"

#include <cstring>

namespace UX
{
namespace
{
void Refuse(const char* format, u32 a, u32 b)
{
    TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TRecordDataSet::Assign(): error: ", format, a, b);
}
} // namespace

bool TRecordDataSet::Assign(const void* data, u32 rows, const TRecordLayout& layout, bool indirect)
{
    if (rows > RECORD_ROW_LIMIT)
    {
        Refuse("%u rows: at most %u", rows, RECORD_ROW_LIMIT);
        return false;
    }
    for (u32 i = 0; i < layout.aColumn.GetCount(); ++i)
    {
        const TDataColumn& column = layout.aColumn[i];
        const u32 size = ValueSize(column.nType);
        if (!size)
        {
            Refuse("column %u: no type %u", i, column.nType);
            return false;
        }
        if (column.nOffset != COLUMN_COMPUTED && column.nOffset + size > layout.nStride)
        {
            Refuse("column %u passes the record of %u bytes", i, layout.nStride);
            return false;
        }
    }
    aColumn = layout.aColumn;
    nStride = layout.nStride;
    pData = static_cast<const u8*>(data);
    nRowCount = static_cast<u16>(rows);
    bIndirect = indirect ? 1 : 0;
    return true;
}

void TRecordDataSet::GetValue(u32 row, u32 column, void* out, u32 type) const
{
    if (!pData || !out || row >= nRowCount || column >= aColumn.GetCount())
        return;
    const u8* record = bIndirect ? reinterpret_cast<const u8* const*>(pData)[row] : pData + nStride * row;
    if (!record)
        return;
    const TDataColumn& desc = aColumn[column];
    if (desc.nOffset == COLUMN_COMPUTED)
    {
        reinterpret_cast<const TDataRecord*>(record)->GetValue(row, desc, out, type);
        return;
    }
    // A cell is read only as its own type: another would read past it.
    if (type != desc.nType)
        return;
    const u8* field = record + desc.nOffset;
    switch (type)
    {
    case COLUMN_KEY:
        *static_cast<TName*>(out) = *reinterpret_cast<const TName*>(field);
        break;
    case COLUMN_TEXT:
        *static_cast<TLocalization*>(out) = *reinterpret_cast<const TLocalization*>(field);
        break;
    case COLUMN_STRING:
        CopyString(static_cast<char16_t*>(out), reinterpret_cast<const char16_t*>(field));
        break;
    case COLUMN_IMAGE:
        *static_cast<TImage*>(out) = *reinterpret_cast<const TImage*>(field);
        break;
    default:
        // Numbers, file times and texture pointers are plain bytes.
        if (const u32 size = ValueSize(type))
            std::memcpy(out, field, size);
        break;
    }
}
} // namespace UX
