#include "morvane/ui/uimessagedialog.h"

#include "core/system/log.h"
#include "morvane/ui/gamemenumanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.textbox.h"

namespace
{
const char* const kShowPrefix = "TUIMessageDialog::Show(): ";

// The control of the name and class below the form; null when there is none.
template <class T> T* FindControl(UX::TControl* form, const char* name)
{
    UX::TControl* control = form ? form->FindChild(TName(name, true)) : nullptr;
    return control && control->IsClass(T::Class()) ? static_cast<T*>(control) : nullptr;
}

// The characters of a text box (its count holds the terminator).
u32 TextLength(const UX::TTextBox& box)
{
    return box.Text.GetCount() > 0 ? box.Text.GetCount() - 1 : 0;
}

void ButtonText(UX::TButton* button, const TName& key, const char* fallback)
{
    if (!button)
        return;
    UX::TLocalization text;
    text.SetName(key.IsValid() ? key : TName(fallback, true));
    button->SetText(text);
}

// Edges as given, after the control's anchor words are cleared.
void PlaceEdges(UX::TControl* control, u32 edges, f32 left, f32 top, f32 right, f32 bottom)
{
    if (!control)
        return;
    control->nEdgeFlags = 0;
    control->fLeft = control->fTop = control->fRight = control->fBottom = 0.0f;
    if (edges & UX::SIDE_LEFT)
        control->SetLeft(left);
    if (edges & UX::SIDE_TOP)
        control->SetTop(top);
    if (edges & UX::SIDE_RIGHT)
        control->SetRight(right);
    if (edges & UX::SIDE_BOTTOM)
        control->SetBottom(bottom);
    control->nEdgeFlags |= edges & (UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY);
    if (edges & UX::EDGE_CENTRE_HORIZONTALLY)
        control->fLeft = left;
    control->nFlags |= UX::CONTROL_POSITION_SET;
}
} // namespace

TUIMessageDialog::TUIMessageDialog() : UX::TInstance(MESSAGE_DIALOG_NAME) {}

void TUIMessageDialog::OnInitialize()
{
    UX::TControl* form = GetForm();
    m_pTitle = FindControl<UX::TLabel>(form, MESSAGE_TITLE_NAME);
    m_pText = FindControl<UX::TLabel>(form, MESSAGE_TEXT_NAME);
    m_pTextBox = FindControl<UX::TTextBox>(form, MESSAGE_INPUT_NAME);
    m_pFirst = FindControl<UX::TButton>(form, MESSAGE_FIRST_NAME);
    m_pSecond = FindControl<UX::TButton>(form, MESSAGE_SECOND_NAME);
    // A new image holds nothing of the box's last message: the layout is made again.
    m_nBusy = 0;
    m_nKind = 0;
    if (m_pFirst)
        m_pFirst->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIMessageDialog::OnFirstButton);
    if (m_pSecond)
        m_pSecond->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIMessageDialog::OnSecondButton);
    if (form)
        form->Event(UX::EVENT_UPDATE).AddHandler(0, this, &TUIMessageDialog::OnUpdate);
}

void TUIMessageDialog::Reset()
{
    if (UX::TControl* form = GetForm())
        form->Hide(1);
    m_Result.Clear();
    m_aQueue.clear();
    m_aQueue.shrink_to_fit();
    m_nBusy = 0;
    m_nKind = 0;
}

bool TUIMessageDialog::Allowed(u32 mode)
{
    if (mode == MESSAGE_ANY_TIME)
        return true;
    const bool windowOpen = g_pGameMenuManager && g_pGameMenuManager->IsWindowOpen();
    return mode == MESSAGE_WITH_WINDOW ? windowOpen : !windowOpen;
}

void TUIMessageDialog::Show(const UX::TLocalization& title, const UX::TLocalization& text, u32 kind, u32 mode,
                            const TName& firstKey, const TName& secondKey)
{
    _ShowOrQueue({title, text, {}, kind, mode, firstKey, secondKey});
}

void TUIMessageDialog::_ShowOrQueue(TMessage&& message)
{
    if (UX::TControl* form = GetForm())
        form->Align(0.5f, 0.5f);
    // Without its form (data that lack it) the message waits as one whose time has not come.
    if (!m_nBusy && GetForm() && Allowed(message.nMode))
    {
        if (message.Attach)
            message.Attach(m_Result);
        _ShowNow(message);
        return;
    }
    if (m_aQueue.size() == m_aQueue.capacity())
        m_aQueue.reserve(m_aQueue.capacity() * 2 + 1);
    m_aQueue.push_back(std::move(message));
}

void TUIMessageDialog::_ShowNow(const TMessage& message)
{
    if (m_pTitle)
        m_pTitle->SetText(message.Title);
    if (m_pText)
        m_pText->SetText(message.Text);
    ButtonText(m_pFirst, message.FirstKey, MESSAGE_OK_KEY);
    ButtonText(m_pSecond, message.SecondKey, MESSAGE_CANCEL_KEY);
    if (message.nKind != m_nKind)
        _Layout(message.nKind, message.nMode);
    m_nKind = message.nKind;
    GetForm()->Show(0);
    m_nBusy = 1;
}

void TUIMessageDialog::_Layout(u32 kind, u32 mode)
{
    if (mode == MESSAGE_WITH_WINDOW)
    {
        if (m_pTitle && !(m_pTitle->nFlags & UX::CONTROL_VISIBLE))
            m_pTitle->Show(0);
        PlaceEdges(m_pText, UX::SIDE_LEFT | UX::SIDE_TOP | UX::SIDE_RIGHT, MESSAGE_TEXT_SIDE,
                   MESSAGE_TEXT_TOP_UNDER_TITLE, -MESSAGE_TEXT_SIDE, 0.0f);
    }
    else if (mode == MESSAGE_WITHOUT_WINDOW)
    {
        if (m_pTitle)
            m_pTitle->Hide(1);
        PlaceEdges(m_pText, UX::SIDE_LEFT | UX::SIDE_TOP | UX::SIDE_RIGHT, MESSAGE_TEXT_SIDE, MESSAGE_TEXT_TOP,
                   -MESSAGE_TEXT_SIDE, 0.0f);
    }
    const bool twoButtons = kind == MESSAGE_QUESTION || kind == MESSAGE_TEXT_INPUT;
    if (twoButtons)
    {
        if (m_pSecond)
            m_pSecond->Show(0);
        if (kind == MESSAGE_QUESTION)
            PlaceEdges(m_pFirst, UX::SIDE_LEFT | UX::SIDE_BOTTOM, MESSAGE_BUTTON_SIDE, 0.0f, 0.0f,
                       MESSAGE_BUTTON_BOTTOM);
    }
    else
    {
        if (m_pSecond)
            m_pSecond->Hide(1);
        PlaceEdges(m_pFirst, UX::SIDE_BOTTOM | UX::EDGE_CENTRE_HORIZONTALLY, 0.5f, 0.0f, 0.0f, MESSAGE_BUTTON_BOTTOM);
    }
    if (m_pTextBox)
    {
        if (kind == MESSAGE_TEXT_INPUT)
            m_pTextBox->Show(0);
        else
            m_pTextBox->Hide(1);
    }
    if (m_pFirst)
    {
        if (kind == MESSAGE_TEXT_INPUT)
            m_pFirst->Disable();
        else
            m_pFirst->Enable();
    }
    GetForm()->SetSize(MESSAGE_BOX_WIDTH, MESSAGE_BOX_HEIGHT);
    switch (kind)
    {
    case MESSAGE_INFORMATION:
        TLog::Print(g_pSystemLog, LOG_INFO, kShowPrefix, "Info icon not done yet.");
        break;
    case MESSAGE_WARNING:
        TLog::Print(g_pSystemLog, LOG_INFO, kShowPrefix, "Warning icon not done yet.");
        break;
    case MESSAGE_TEXT_INPUT:
        TLog::Print(g_pSystemLog, LOG_INFO, kShowPrefix, "Text input icon not done yet.");
        break;
    default:
        break;
    }
}

void TUIMessageDialog::_Close(UX::TControl* button, i32 value)
{
    static const char16_t s_Empty[] = u"";
    TUIMessageResult result = {value, s_Empty};
    if (m_pTextBox && TextLength(*m_pTextBox) > 0)
        result.pText = &m_pTextBox->Text[0];
    m_Result.Invoke(button, &result);
    m_Result.Clear();
    if (m_pTextBox)
    {
        m_pTextBox->Text.SetCount(0);
        m_pTextBox->Cursor = 0;
        m_pTextBox->SelectionStart = m_pTextBox->SelectionEnd = -1;
    }
    if (UX::TControl* form = GetForm())
        form->Hide(1);
    m_nBusy = 0;
}

void TUIMessageDialog::OnFirstButton(UX::TControl* button, UX::TMouse*)
{
    _Close(button, 1);
}

void TUIMessageDialog::OnSecondButton(UX::TControl* button, UX::TMouse*)
{
    _Close(button, 0);
}

void TUIMessageDialog::OnUpdate(UX::TControl*, UX::TMouse*)
{
    if (m_nBusy)
    {
        if (m_nKind == MESSAGE_TEXT_INPUT && m_pFirst && m_pTextBox)
        {
            if (TextLength(*m_pTextBox) > 0)
                m_pFirst->Enable();
            else
                m_pFirst->Disable();
        }
        return;
    }
    if (m_aQueue.empty() || !Allowed(m_aQueue.front().nMode))
        return;
    TMessage message = std::move(m_aQueue.front());
    m_aQueue.erase(m_aQueue.begin());
    if (message.Attach)
        message.Attach(m_Result);
    _ShowNow(message);
}
