#pragma once
// The objects GDI handles stand for: fonts, bitmaps and brushes. A handle is the object's
// address, checked against the objects alive before it is followed.
enum class EGdiKind
{
    Font,
    Bitmap,
    Brush
};

class TGdiObject
{
public:
    explicit TGdiObject(EGdiKind kind) : kind_(kind) {}
    virtual ~TGdiObject() = default;
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    EGdiKind Kind() const { return kind_; }

private:
    EGdiKind kind_;
};
