#include "ux/controls/ux.control.gridview.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TGridView> s_Manager("TGridView");
} // namespace

const TClusterTypeDecl& TGridView::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TGridView", GRID_VIEW_TYPE_ID, sizeof(TGridView), &UxPrototype<TGridView>(),
        UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"),
         UX_LINK(1332, UX_ANY_TYPE, GRID_ROW_CAPACITY, "aDetail", "UX::TGridView"),
         UX_LINK(1860, UX_ANY_TYPE, 1, "pVScroller", "UX::TGridView"),
         UX_LINK(1884, TEXTURE_TYPE_ID, 1, "SelectedBackground.pTexture", "UX::TGridView")});
    return s_Decl;
}

TControlManagerTemplate<TGridView>& TGridView::Manager()
{
    return s_Manager;
}

const TName& TGridView::Class()
{
    static const TName s_Name("TGridView", true);
    return s_Name;
}

TGridView::TGridView()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    RowHeight = 75.0f;
    SelectedIndex = -1;
    VisibleRows = 1;
    AutoHideScrollBar = 1;
    GridFlags = 2;
    SelectedBackground = DEFAULT_IMAGE;
    SavedBackground = DEFAULT_IMAGE;
    HighlightedRow = -1;
}

void TGridView::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    pDataSet = nullptr;
    // The saved row background's texture is not a link: it meant a texture of another run.
    SavedBackground = DEFAULT_IMAGE;
    OnRowDataBind.Forget();
    OnRowClick.Forget();
    OnSelect.Forget();
}

void TGridView::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnRowDataBind.Clear();
    OnRowClick.Clear();
    OnSelect.Clear();
}
} // namespace UX
