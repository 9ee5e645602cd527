#pragma once
// UX::TLocalization: the text value of the UX library. It holds a localization key, whose text
// comes in the current language when asked for, or a literal text owned by the value.
#include "core/system/name.h"
#include "core/system/string.h"
#include "core/system/templates/sarray.h"

namespace UX
{
// The largest capacity of a literal that reads as text.
constexpr i32 LOCALIZATION_MAX_CAPACITY = 16384;
// Format's buffer, in characters (the last one is the terminator).
constexpr i32 LOCALIZATION_FORMAT_SIZE = 2048;

class TLocalization
{
public:
    // A literal text's storage: its capacity is the next multiple of 16 above the length.
    struct THolder
    {
        i32 nCapacity;
        char16_t* pText;
    };

    TLocalization() = default;
    // A literal value (TLocalizationFromText).
    explicit TLocalization(const char16_t* text) { SetText(text); }
    // A keyed source is copied as its key, an unkeyed one as a copy of its literal.
    TLocalization(const TLocalization& source) { CopyFrom(source); }
    TLocalization& operator=(const TLocalization& source);
    ~TLocalization() { FreeLiteral(); }

    // The key's text in the current language (a shared buffer, valid until the next call), or
    // the literal; null when there is neither.
    const char16_t* GetText() const;
    // A key, or a literal of 1 to 16384 characters.
    bool HasText() const;
    // Stores the key and frees the literal.
    void SetName(const TName& key);
    // The key becomes the empty name and the text (null: empty) the literal.
    void SetText(const char16_t* text);
    // Formats into a buffer of 2048 characters (cut to 2047) and stores the result as literal.
    template <class... A> const char16_t* Format(const char16_t* format, A... arguments)
    {
        char16_t buffer[LOCALIZATION_FORMAT_SIZE];
        FormatStringW(buffer, format, arguments...);
        SetText(buffer);
        return GetText();
    }

    const TName& GetKey() const { return m_Key; }
    bool IsKeyed() const { return m_Key.IsValid(); }
    const THolder* GetHolder() const { return m_pLiteral; }
    // A loaded image's literal word meant storage of another run.
    void ForgetLiteral() { m_pLiteral = nullptr; }
    void FreeLiteral();

private:
    void CopyFrom(const TLocalization& source);

    TName m_Key;
    THolder* m_pLiteral = nullptr;
};

static_assert(sizeof(TLocalization) == 8);

typedef SArray<TLocalization, 256, 1> TLocalizationArray;
} // namespace UX
