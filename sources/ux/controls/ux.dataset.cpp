#include "ux/controls/ux.dataset.h"

#include "engine/render/texture.h"
#include "ux/ux.localization.h"
#include "ux/ux.texture.h"

#include <algorithm>

namespace UX
{
i32 TDataSet::FindColumn(const TName& name) const
{
    for (u32 i = 0; i < aColumn.GetCount(); ++i)
        if (aColumn[i].Name == name)
            return static_cast<i32>(i);
    return -1;
}

u32 TDataSet::ValueSize(u32 type)
{
    switch (type)
    {
    case COLUMN_INT8:
        return sizeof(u8);
    case COLUMN_INT32:
        return sizeof(i32);
    case COLUMN_INT16:
        return sizeof(i16);
    case COLUMN_FLOAT:
        return sizeof(f32);
    case COLUMN_DOUBLE:
        return sizeof(f64);
    case COLUMN_FILE_TIME:
        return sizeof(u64);
    case COLUMN_KEY:
        return sizeof(TName);
    case COLUMN_TEXT:
        return sizeof(TLocalization);
    case COLUMN_STRING:
        return DATA_STRING_CAPACITY * sizeof(char16_t);
    case COLUMN_TEXTURE:
        return sizeof(TTexture*);
    case COLUMN_IMAGE:
        return sizeof(TImage);
    default:
        return 0;
    }
}

void TDataSet::CopyString(char16_t* out, const char16_t* text)
{
    const char16_t* end = std::find(text, text + DATA_STRING_CAPACITY - 1, u'\0');
    std::copy(text, end, out);
    out[end - text] = 0;
}
} // namespace UX
