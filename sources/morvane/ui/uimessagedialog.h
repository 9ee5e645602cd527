#pragma once
// TUIMessageDialog: the one modal message box of the UX screens (the form "TUIMessageDialog"): a
// title, a text, an optional one-line text box and two buttons. A message that arrives while the
// box shows, or while the game menus are not in the state it asks for, waits in a queue; one
// queued message is examined a frame, so they appear in the order they came. A message's
// callbacks learn which button closed the box and what was typed, once.
#include "core/system/name.h"
#include "ux/ux.core.h"
#include "ux/ux.instance.h"
#include "ux/ux.localization.h"

#include <functional>
#include <vector>

namespace UX
{
class TButton;
class TLabel;
class TTextBox;
struct TMouse;
} // namespace UX

// What a message is: the layout and the buttons it gets.
enum EMessageKind : u32
{
    MESSAGE_INFORMATION = 1,
    MESSAGE_WARNING = 2,
    MESSAGE_QUESTION = 3,
    MESSAGE_TEXT_INPUT = 4
};

// When a message may show: at any time, only while a game-menu window is open, only while none is.
enum EMessageMode : u32
{
    MESSAGE_ANY_TIME = 0,
    MESSAGE_WITH_WINDOW = 1,
    MESSAGE_WITHOUT_WINDOW = 2
};

// The box and the distances of its text and buttons (layout units).
constexpr f32 MESSAGE_BOX_WIDTH = 504.0f;
constexpr f32 MESSAGE_BOX_HEIGHT = 216.0f;
constexpr f32 MESSAGE_TEXT_SIDE = 16.0f;
constexpr f32 MESSAGE_TEXT_TOP_UNDER_TITLE = 30.0f;
constexpr f32 MESSAGE_TEXT_TOP = 16.0f;
constexpr f32 MESSAGE_BUTTON_SIDE = 10.0f;
constexpr f32 MESSAGE_BUTTON_BOTTOM = -10.0f;
// The buttons' texts when a message names none.
inline constexpr const char* MESSAGE_OK_KEY = "btnOK";
inline constexpr const char* MESSAGE_CANCEL_KEY = "btnCancel";
// The names of the form's controls in the UX data.
inline constexpr const char* MESSAGE_DIALOG_NAME = "TUIMessageDialog";
inline constexpr const char* MESSAGE_TITLE_NAME = "msgTitle";
inline constexpr const char* MESSAGE_TEXT_NAME = "msgText";
inline constexpr const char* MESSAGE_INPUT_NAME = "msgInput";
inline constexpr const char* MESSAGE_FIRST_NAME = "msgFirstButton";
inline constexpr const char* MESSAGE_SECOND_NAME = "msgSecondButton";

// The argument of the result event: the button that closed the box (1 the first, 0 the second)
// and the text box's text (empty when it is).
struct TUIMessageResult
{
    i32 nButton;
    const char16_t* pText;
};

class TUIMessageDialog : public UX::TInstance
{
public:
    // A callback of the result event: (the button pressed, the result).
    template <class O> using TCallback = void (O::*)(UX::TControl*, TUIMessageResult*);

    TUIMessageDialog();

    // Finds the form's controls and binds the buttons and the form's per-frame update.
    void OnInitialize() override;

    // Shows the message now, or queues it. Empty button keys choose "btnOK" and "btnCancel".
    void Show(const UX::TLocalization& title, const UX::TLocalization& text, u32 kind, u32 mode,
              const TName& firstKey = TName(), const TName& secondKey = TName());
    // The same; the object's method is added to the result event when the message shows.
    template <class O>
    void ShowWithCallback(const UX::TLocalization& title, const UX::TLocalization& text, O* object,
                          TCallback<O> method, u32 kind, u32 mode, const TName& firstKey = TName(),
                          const TName& secondKey = TName())
    {
        TMessage message = {title, text, {}, kind, mode, firstKey, secondKey};
        message.Attach = [object, method](UX::TEvent& event) { event.AddHandler(0, object, method); };
        _ShowOrQueue(std::move(message));
    }

    // The end of a run: the box hidden, the queue and the callbacks let go, the layout forgotten.
    void Reset();

    bool IsBusy() const { return m_nBusy != 0; }
    // The kind of the message on screen (0 before the first).
    u32 GetKind() const { return m_nKind; }
    u32 GetQueueCount() const { return static_cast<u32>(m_aQueue.size()); }
    u32 GetQueueCapacity() const { return static_cast<u32>(m_aQueue.capacity()); }
    const UX::TEvent& GetResultEvent() const { return m_Result; }

    // The controls found at the last load (null when the data give none).
    UX::TLabel* GetTitleLabel() const { return m_pTitle; }
    UX::TLabel* GetTextLabel() const { return m_pText; }
    UX::TTextBox* GetTextBox() const { return m_pTextBox; }
    UX::TButton* GetFirstButton() const { return m_pFirst; }
    UX::TButton* GetSecondButton() const { return m_pSecond; }

private:
    struct TMessage
    {
        UX::TLocalization Title;
        UX::TLocalization Text;
        // Adds the message's callback to the result event; empty when it has none.
        std::function<void(UX::TEvent&)> Attach;
        u32 nKind;
        u32 nMode;
        TName FirstKey;
        TName SecondKey;
    };

    // Whether a message of the mode may show now.
    static bool Allowed(u32 mode);
    void _ShowOrQueue(TMessage&& message);
    void _ShowNow(const TMessage& message);
    void _Layout(u32 kind, u32 mode);
    void _Close(UX::TControl* button, i32 value);
    void OnFirstButton(UX::TControl* button, UX::TMouse*);
    void OnSecondButton(UX::TControl* button, UX::TMouse*);
    void OnUpdate(UX::TControl*, UX::TMouse*);

    UX::TLabel* m_pTitle = nullptr;
    UX::TLabel* m_pText = nullptr;
    UX::TTextBox* m_pTextBox = nullptr;
    UX::TButton* m_pFirst = nullptr;
    UX::TButton* m_pSecond = nullptr;
    UX::TEvent m_Result;
    u8 m_nBusy = 0;
    u32 m_nKind = 0;
    // Grows to twice its capacity plus one when full.
    std::vector<TMessage> m_aQueue;
};
