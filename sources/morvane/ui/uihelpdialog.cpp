#include "morvane/ui/uihelpdialog.h"

#include "core/system/log.h"
#include "engine/render/texture.h"
#include "morvane/game/helpcategory.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/screencontrol.h"
#include "morvane/ui/uigamemanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.manager.h"
#include "ux/ux.texture.h"

#include <algorithm>
#include <cstdio>

namespace
{
const char* const kInitializeError = "TUIHelpDialog::OnInitialize(): error: ";

template <class T> T* FindControl(UX::TControl* parent, const char* name)
{
    return FindScreenControl<T>(parent, name, kInitializeError);
}

// A text of the stored record: its key, or nothing.
UX::TLocalization PageText(const THelpText& text)
{
    UX::TLocalization localization;
    if (text.Key.IsValid())
        localization.SetName(text.Key);
    return localization;
}
} // namespace

TUIHelpDialog::TUIHelpDialog() : UX::TInstance(HELP_FORM_NAME)
{
    // One key column over the stored records: the category's name, shown by each row's label.
    m_Layout.aColumn.Add({TName(HELP_CATEGORY_LABEL_NAME, true), UX::COLUMN_KEY, 0});
    m_Layout.nStride = sizeof(THelpCategory);
}

void TUIHelpDialog::OnInitialize()
{
    UX::TControl* form = GetForm();
    if (!form)
        return;
    m_pClose = FindControl<UX::TButton>(form, HELP_CLOSE_NAME);
    m_pGrid = FindControl<UX::TGridView>(form, HELP_GRID_NAME);
    m_pStacker = FindControl<UX::TStacker>(form, HELP_STACKER_NAME);
    m_pPanel = FindControl<UX::TPanel>(form, HELP_PANEL_NAME);
    for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, HELP_PAGE_NAME, i);
        m_apPage[i] = FindScreenControl(form, name, nullptr, kInitializeError);
    }
    m_nFirstShow = 1;
    m_pLastFocus = nullptr;
    if (m_pClose)
        m_pClose->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIHelpDialog::OnClose);
    if (m_pGrid)
        m_pGrid->OnSelect.AddHandler(0, this, &TUIHelpDialog::OnSelect);
    form->Event(UX::EVENT_SHOW).AddHandler(0, this, &TUIHelpDialog::OnShow);
    form->Event(UX::EVENT_UPDATE).AddHandler(0, this, &TUIHelpDialog::OnUpdate);
}

void TUIHelpDialog::OnShow(UX::TControl* form, UX::TMouse*)
{
    if (m_pPanel)
        m_pPanel->SetContentHeight(m_pPanel->Base.Rect.height);
    DArray<THelpCategory*>* categories = g_pUIGameManager ? &g_pUIGameManager->HelpCategories() : nullptr;
    const u32 count = categories ? static_cast<u32>(categories->GetCount()) : 0;
    if (m_pGrid)
    {
        // The rows follow the list as it is at this show: since the last one it may have moved,
        // grown or emptied.
        if (m_DataSet.Assign(count ? categories->GetData() : nullptr, std::min<u32>(count, UX::RECORD_ROW_LIMIT),
                             m_Layout, true))
            m_pGrid->SetDataSet(&m_DataSet);
        if (!count)
        {
            m_pGrid->SetSelectedIndex(-1);
            for (UX::TControl* page : m_apPage)
                if (page)
                    page->Hide(1);
        }
    }
    const u32 built = m_nPagesBuilt;
    if (m_nFirstShow)
    {
        m_nFirstShow = 0;
        form->Align(0.5f, 0.5f);
    }
    // The first show, or one whose selection the list no longer holds, starts at the first row.
    if (m_pGrid && count && (m_pGrid->SelectedIndex < 0 || static_cast<u32>(m_pGrid->SelectedIndex) >= count))
        m_pGrid->SetSelectedIndex(0);
    // Once a show: the first row's selection has built them already.
    if (count && m_nPagesBuilt == built)
        ShowPages();
}

void TUIHelpDialog::OnSelect(UX::TControl*, void*)
{
    ShowPages();
}

void TUIHelpDialog::ShowPages()
{
    if (!m_pGrid || !m_pStacker || !g_pUIGameManager)
        return;
    if (m_pPanel)
        if (UX::TVScroller* bar = m_pPanel->GetScrollBar())
            bar->SetPosition(0);
    DArray<THelpCategory*>& categories = g_pUIGameManager->HelpCategories();
    const i32 selected = m_pGrid->SelectedIndex;
    if (selected < 0 || selected >= categories.GetCount() || !categories[selected])
        return;
    const THelpCategory& category = *categories[selected];
    ++m_nPagesBuilt;
    // A stored count beyond the pages' room is taken as the room.
    if (category.nPageCount > HELP_PAGE_CAPACITY)
        TLog::Print(g_pSystemLog, LOG_WARNING, "TUIHelpDialog::ShowPages(): warning: ",
                    "category '%s' has %u pages: only %u are shown", category.Name.GetText(), category.nPageCount,
                    HELP_PAGE_CAPACITY);
    const u32 pages = std::min<u32>(category.nPageCount, HELP_PAGE_CAPACITY);
    for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
    {
        UX::TControl* page = m_apPage[i];
        if (!page)
            continue;
        if (i >= pages)
        {
            page->Hide(1);
            continue;
        }
        if (!(page->nFlags & UX::CONTROL_VISIBLE))
            page->Show(2);
        FillPage(i, category);
    }
    m_pStacker->Arrange(1);
    if (m_pPanel)
        m_pPanel->SetContentHeight(m_pStacker->GetContentHeight() + HELP_CONTENT_ROOM);
}

void TUIHelpDialog::FillPage(u32 index, const THelpCategory& category)
{
    UX::TControl* page = m_apPage[index];
    UX::TControl* image = page->FindChild(TName(HELP_IMAGE_NAME, true));
    auto* text = static_cast<UX::TLabel*>(page->FindChild(TName(HELP_TEXT_NAME, true)));
    auto* keys = static_cast<UX::TLabel*>(page->FindChild(TName(HELP_KEY_TEXT_NAME, true)));
    if (!image || !text || !keys || !text->IsClass(UX::TLabel::Class()) || !keys->IsClass(UX::TLabel::Class()))
        return;
    // No image for the empty name or a texture that is not loaded: the row follows the texts.
    const TName& imageName = category.aPageImage[index];
    TTexture* texture = imageName.IsValid() ? g_pUIGameManager->GetImage(imageName) : nullptr;
    f32 imageHeight = 0.0f;
    if (texture)
    {
        const UX::TImage picture = UX::TImage::Make(texture);
        image->SetBackgroundImage(&picture, 1);
        imageHeight = static_cast<f32>(texture->m_nHeight);
    }
    else
        image->SetBackgroundImage(nullptr, 0);

    text->SetText(PageText(category.aPageText[index]));
    keys->SetText(PageText(category.aPageKeyText[index]));
    text->SetStyle(TName(index == 0 ? HELP_HEADING_STYLE : HELP_TEXT_STYLE, true));
    text->SetPosition(index == 0 ? HELP_HEADING_X : HELP_TEXT_X, HELP_TEXT_Y);
    text->SetWidth(HELP_TEXT_WIDTH);
    keys->SetWidth(HELP_KEY_TEXT_WIDTH);
    text->UpdateLayout(0);
    keys->UpdateLayout(0);
    const f32 row = std::max({imageHeight, text->MeasureText(text->Text.GetText(), UX::STATE_NORMAL).fHeight,
                              keys->MeasureText(keys->Text.GetText(), UX::STATE_NORMAL).fHeight});
    text->SetSize(HELP_TEXT_WIDTH, row);
    keys->SetSize(HELP_KEY_TEXT_WIDTH, row);
    page->SetSize(HELP_PAGE_WIDTH, row + HELP_PAGE_ROOM);
}

void TUIHelpDialog::OnUpdate(UX::TControl* form, UX::TMouse*)
{
    if (form && form->IsVisibleOnScreen() && UX::g_pUXManager)
        m_pLastFocus = UX::g_pUXManager->GetFocus();
}

void TUIHelpDialog::OnClose(UX::TControl*, UX::TMouse*)
{
    Close();
}

void TUIHelpDialog::Close()
{
    if (UX::TControl* form = GetForm())
        form->Hide(1);
    if (g_pGameMenuManager)
        g_pGameMenuManager->CloseGameHelp();
}
