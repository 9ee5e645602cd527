#include "engine/render/vertexformat.h"

#include "core/system/log.h"
#include "core/system/string.h"

namespace
{
constexpr u32 ELEMENT_SIZE[VERTEX_ELEMENT_TYPES] = {0, 4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 12, 4, 8};

} // namespace

u32 VertexElementSize(u32 type)
{
    return type < VERTEX_ELEMENT_TYPES ? ELEMENT_SIZE[type] : 0;
}

void BuildVertexFormat(TVertexFormat& format, u32 count, const TVertexFormatElement* elements)
{
    format.nStride = 0;
    format.nElementCount = 0;
    for (u32 i = 0; i < count; ++i)
    {
        if (format.nElementCount == VERTEX_FORMAT_ELEMENTS)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "BuildVertexFormat(): error: ", "more than %u elements",
                        VERTEX_FORMAT_ELEMENTS);
            break;
        }
        format.aElement[format.nElementCount++] = elements[i];
        format.nStride += VertexElementSize(elements[i].nType);
    }
    FinaliseVertexFormat(format);
}

void FinaliseVertexFormat(TVertexFormat& format)
{
    char text[2048];
    FormatStringN(text, sizeof(text), "%s.%s.%s.%s|", format.aPart[0].GetText(), format.aPart[1].GetText(),
                  format.aPart[2].GetText(), format.aPart[3].GetText());
    TName id(text, true);
    for (u32 i = 0; i < format.nElementCount; ++i)
    {
        const TVertexFormatElement& e = format.aElement[i];
        TName semantic;
        semantic.SetId(e.nSemantic);
        char next[2048];
        FormatStringN(next, sizeof(next), "%s%s:%02x%02x%02x|", id.GetText(), semantic.GetText(), e.nIndex, e.nType,
                      e.nStream);
        id = TName(next, true);
    }
    format.Id = id;
}
