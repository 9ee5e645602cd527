#include "ux/ux.localization.h"

#include "core/system/memory.h"
#include "core/system/unistring.h"
#include "engine/localization/localization.h"

#include <cstring>

namespace UX
{
namespace
{
bool ReadableCapacity(const TLocalization::THolder* holder)
{
    return holder && holder->nCapacity >= 0 && holder->nCapacity <= LOCALIZATION_MAX_CAPACITY;
}
} // namespace

TLocalization& TLocalization::operator=(const TLocalization& source)
{
    if (this != &source)
        CopyFrom(source);
    return *this;
}

void TLocalization::CopyFrom(const TLocalization& source)
{
    if (source.IsKeyed())
        SetName(source.m_Key);
    else if (ReadableCapacity(source.m_pLiteral))
        SetText(source.m_pLiteral->pText);
    else
        SetText(nullptr);
}

const char16_t* TLocalization::GetText() const
{
    if (IsKeyed())
        return TLocalizationManager::Instance().GetTextTemp(m_Key, true);
    if (!ReadableCapacity(m_pLiteral))
        return nullptr;
    return m_pLiteral->pText;
}

bool TLocalization::HasText() const
{
    if (IsKeyed())
        return true;
    return ReadableCapacity(m_pLiteral) && m_pLiteral->pText && m_pLiteral->pText[0] != 0;
}

void TLocalization::SetName(const TName& key)
{
    m_Key = key;
    FreeLiteral();
}

void TLocalization::SetText(const char16_t* text)
{
    m_Key.Clear();
    const i32 length = text ? UniLength(text) : 0;
    const i32 capacity = (length | 15) + 1;
    if (!m_pLiteral)
    {
        m_pLiteral = MemoryNew<THolder>(THolder{0, nullptr});
        if (!m_pLiteral)
            return;
    }
    if (m_pLiteral->nCapacity < capacity)
    {
        auto* buffer = static_cast<char16_t*>(MemoryAllocate(static_cast<u32>(capacity) * sizeof(char16_t)));
        if (!buffer)
            return;
        MemoryFree(m_pLiteral->pText);
        m_pLiteral->pText = buffer;
        m_pLiteral->nCapacity = capacity;
    }
    if (length)
        std::memmove(m_pLiteral->pText, text, static_cast<u32>(length) * sizeof(char16_t));
    m_pLiteral->pText[length] = 0;
}

void TLocalization::FreeLiteral()
{
    if (!m_pLiteral)
        return;
    MemoryFree(m_pLiteral->pText);
    MemoryDelete(m_pLiteral);
    m_pLiteral = nullptr;
}
} // namespace UX
