#pragma once
// UX::TStacker (stored type 245, 10,644 bytes): flows its items (aDetail, up to 256 controls)
// into lines: rows left to right, or columns top to bottom; aligns the block of lines inside
// itself, can glide items to their new places, and reports clicks on items.
#include "core/system/templates/darray.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 STACKER_TYPE_ID = 245;
constexpr u32 STACKER_ITEM_CAPACITY = 256;

// StackFlags.
constexpr u32 STACK_BREAK_BEFORE = 0x1;

// Motion states.
enum EItemMotion : u32
{
    MOTION_IDLE,
    MOTION_JUMP,
    MOTION_MOVE,
    MOTION_WAIT,
    MOTION_ARRIVED,
    MOTION_STATE_COUNT
};

class TStacker : public TControl
{
public:
    // An item's glide to its new place (pixels from the stacker's origin).
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
    // The argument of OnItemClick.
    struct TItemClickArgs
    {
        i32 nIndex;
        TControl* pControl;
    };

    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TStacker>& Manager();
    static const TName& Class();

    TStacker();

    // Once: with BindItemClicks, the clicks of every item and its descendants bound.
    void OnLoad() override;
    void OnShow() override { Arrange(0); }
    // Takes the layout settings of the source; a source that holds items is refused with an
    // error line (items are not cloned).
    void CopyFrom(const TControl& source) override;

    // Appends an item; a 257th is refused with an error line. False when refused.
    bool AddItem(TControl* item);
    // Breaks the items into lines and, when forced, moving or when the lines changed, places
    // them; then the glides advance.
    void Arrange(u32 force);
    // MarginY and the lowest item end below it (layout units).
    f32 GetContentHeight() const;
    u32 GetLineCount() const { return static_cast<u32>(aLineItems.GetCount()); }

    void ForgetLoadedWords();
    // Item counts, links and motion records checked (each reset with an error line).
    void CheckLoadedValues();
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
    // Per line, rebuilt at every arrange: its cross size, its visible items and its length.
    DArray<f32> aLineCross;
    DArray<i32> aLineItems;
    DArray<f32> aLineLength;
    u8 MaxPerColumn;
    u8 MaxPerLine;
    u8 BindItemClicks;
    TEvent OnItemClick;

private:
    void BreakLines();
    void Place();
    void Move();
    void OnItemClicked(TControl* clicked, TMouse* mouse);
    // The item at the place (pixels from the stacker's origin), by its scale.
    static void PlaceItem(TControl* item, f32 x, f32 y);
};

static_assert(sizeof(TStacker::TItemMotion) == 32);
static_assert(sizeof(TStacker) == 10644);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TStacker, aItemMotion) == 1356);
static_assert(offsetof(TStacker, aDetail) == 9548);
static_assert(offsetof(TStacker, StackFlags) == 10576);
static_assert(offsetof(TStacker, aLineCross) == 10580);
static_assert(offsetof(TStacker, aLineLength) == 10604);
static_assert(offsetof(TStacker, MaxPerColumn) == 10616);
static_assert(offsetof(TStacker, OnItemClick) == 10620);
#pragma GCC diagnostic pop
} // namespace UX
