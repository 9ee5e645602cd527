#pragma once
// UX::TStacker (stored type 245, 10,644 bytes): flows its items into rows or columns.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 STACKER_TYPE_ID = 245;
constexpr u32 STACKER_ITEM_CAPACITY = 256;

class TStacker : public TControl
{
public:
    // An item's glide to its new place.
    struct TItemMotion
    {
        u32 nState;
        f32 fX;
        f32 fY;
        f32 fTargetX;
        f32 fTargetY;
        f32 afReserved[2];
        f32 fProgress;
    };

    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TStacker>& Manager();
    static const TName& Class();

    TStacker();

    void ForgetLoadedWords();
    void ReleaseLoaded();

    u32 Initialized;
    u32 Orientation;
    u32 Alignment;
    f32 SpacingX;
    f32 SpacingY;
    f32 MarginX;
    f32 MarginY;
    f32 MoveDuration;
    u32 ItemCount;
    TItemMotion aItemMotion[STACKER_ITEM_CAPACITY];
    SArray<TControl*, STACKER_ITEM_CAPACITY, 0> aDetail;
    u32 StackFlags;
    // The three run-time line arrays (cross size, items and length per line).
    u8 aReserved10580[36];
    u8 MaxPerColumn;
    u8 MaxPerLine;
    u8 BindItemClicks;
    TEvent OnItemClick;
};

static_assert(sizeof(TStacker::TItemMotion) == 32);
static_assert(sizeof(TStacker) == 10644);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TStacker, aItemMotion) == 1356);
static_assert(offsetof(TStacker, aDetail) == 9548);
static_assert(offsetof(TStacker, StackFlags) == 10576);
static_assert(offsetof(TStacker, MaxPerColumn) == 10616);
static_assert(offsetof(TStacker, OnItemClick) == 10620);
#pragma GCC diagnostic pop
} // namespace UX
