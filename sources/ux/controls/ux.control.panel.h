#pragma once
// UX::TPanel (stored type 246, 1,344 bytes): a scrollable viewport: a content control moved
// vertically by a scroll bar.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 PANEL_TYPE_ID = 246;

class TPanel : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TPanel>& Manager();
    static const TName& Class();

    TPanel();

    u32 Initialized;
    TControl* pContainer;
    TControl* pVScroller;
    u8 AutoHideScrollBar;
    u8 ScrollBarParts;
    f32 ContentHeight;
    u8 ShowMode;
    u8 ResetScrollOnShow;
};

static_assert(sizeof(TPanel) == 1344);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TPanel, pContainer) == 1324);
static_assert(offsetof(TPanel, pVScroller) == 1328);
static_assert(offsetof(TPanel, ContentHeight) == 1336);
static_assert(offsetof(TPanel, ShowMode) == 1340);
#pragma GCC diagnostic pop
} // namespace UX
