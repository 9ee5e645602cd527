#pragma once
// TUIAccountScreen: what the account screens (login, create, update, the logged-in page) share.
// A screen listens to the account client only while its form is on screen; the client delivers
// its listener calls on the main thread, in the order they happened. Screens slide in and out
// sideways by a screen's width; while a request of theirs runs, a status label counts zero to
// three dots, a step a second; failures become message boxes with the keys of the request's kind
// and the result's code.
#include "morvane/ui/uimessagedialog.h"
#include "network/account/accountlistener.h"
#include "ux/ux.instance.h"

class TAccountProtocol;
class TUIGameManager;

namespace UX
{
class TButton;
class TControl;
class TLabel;
class TPanel;
class TStacker;
class TSelector;
class TTextBox;
} // namespace UX

// The create and update forms hold their rows in a stacker inside a scrolling panel.
inline constexpr const char* ACCOUNT_FIELDS_PANEL = "pnlFields";
inline constexpr const char* ACCOUNT_FIELDS_STACKER = "stkFields";
// The room below the last row when the panel is told the stacker's height.
constexpr f32 ACCOUNT_FIELDS_ROOM = 10.0f;
// The buttons of a bottom row: their text's width and this much, placed this far from the
// form's right and bottom edges.
constexpr f32 ACCOUNT_BUTTON_PADDING = 46.0f;
constexpr f32 ACCOUNT_BUTTON_EDGE = -24.0f;
// A slide moves a form by the design width.
constexpr f32 ACCOUNT_SLIDE_DISTANCE = 1920.0f;
// The status dots change once a second.
constexpr f32 ACCOUNT_STATUS_STEP = 1.0f;
// The codes and kinds with keys of their own.
constexpr u32 ACCOUNT_LAST_RESULT_CODE = 13;
constexpr u32 ACCOUNT_LAST_REQUEST_KIND = 10;
// A login's result that asks for the validation mail again, and the special request that sends it.
constexpr u32 ACCOUNT_RESULT_UNVERIFIED = 8;
constexpr u32 ACCOUNT_SPECIAL_RESEND = 0;
// The account screens' messages show at any time: the screens are no game-menu window, and a
// message waiting for one would never show over them.
constexpr u32 ACCOUNT_MESSAGE_MODE = MESSAGE_ANY_TIME;

class TUIAccountScreen : public UX::TInstance, public TAccountListener
{
public:
    TUIAccountScreen(const char* className, const char* statusKey);

    // The user name is an e-mail address: a first ASCII letter, a last '@' before a last '.'
    // that does not end the text.
    static bool IsValidUserName(const char16_t* text);
    // A day that exists in its month of a year a calendar time holds (1601 on).
    static bool IsValidBirthDate(u32 year, u32 month, u32 day);
    // "msgAccountResult..." of a result code ("locaAccountUnknownResult" for every code without
    // one of its own: any status a reply carries is told); "msgAccount..." of a request kind ("locaAccountUnknownAction" above
    // 10, empty for kind 0 and kinds without one).
    static const char* GetResultKey(u32 code);
    static const char* GetKindKey(u32 kind);

    // The form's sideways transitions: out to a side, in from one.
    void SlideOutLeft() { _SlideOut(-ACCOUNT_SLIDE_DISTANCE); }
    void SlideOutRight() { _SlideOut(ACCOUNT_SLIDE_DISTANCE); }
    void SlideInFromRight() { _SlideIn(ACCOUNT_SLIDE_DISTANCE); }
    void SlideInFromLeft() { _SlideIn(-ACCOUNT_SLIDE_DISTANCE); }
    // Where the next show starts (its hidden place), without showing.
    void SetShowStart(f32 x);
    bool IsShowing() const;

    // The generic failure message: poll failures are silent, an unvalidated login asks whether
    // to send the mail again, a login without a connection takes the offline path, the rest is a
    // warning with the kind's and the code's keys.
    void ShowRequestFailure(u32 kind, u32 code);
    // A request the client refused with its queue full (four pending): the kind's title and
    // "msgAccountQueueFull".
    void ShowQueueFull(u32 kind);

    UX::TLabel* GetStatusLabel() const { return m_pStatus; }
    // The date of a row of year, month and day lists (this year back, 1-12, 1-31); false (the
    // date untouched) without its three lists.
    static bool GetRowDate(UX::TControl* row, u32& year, u32& month, u32& day);
    static void SetRowDate(UX::TControl* row, u32 year, u32 month, u32 day);
    // The dots the status shows next (0 to 3).
    u32 GetStatusStep() const { return m_nStatusStep; }

protected:
    // The control of the name and class below the form; null (logged) when there is none.
    template <class T> T* Find(const char* name) { return static_cast<T*>(_Find(name, T::Class())); }
    // A row of the form (an option row: a caption beside its control) by name; null (logged)
    // when there is none.
    UX::TControl* FindRow(const char* name) { return _Find(name, TName()); }
    // The index-th direct part of the row of the class (its caption label, its text box, its
    // check box, its lists in order); null when it has none.
    template <class T> static T* RowPart(UX::TControl* row, u32 index = 0)
    {
        return static_cast<T*>(_RowPart(row, T::Class(), index));
    }
    // Binds the form's show and hide to listening, and its per-frame update to the status.
    void BindForm();
    static TAccountProtocol* Protocol();
    static TUIGameManager* Screens();
    static TUIMessageDialog* MessageBox();
    // A box's text ("" without the box); a box given a text as far as it holds, the cursor reset.
    static const char16_t* TextOf(const UX::TTextBox* box);
    static void SetBoxText(UX::TTextBox* box, const char16_t* text);
    static void SetEnabled(UX::TControl* control, bool enabled);
    // The avatars' names, once, into a selector that has none.
    static void FillAvatars(UX::TSelector* avatar);
    // The rows arranged and the panel's content height set from them: (the stacker's content
    // height + ACCOUNT_FIELDS_ROOM) x its scale.
    static void ArrangeFields(UX::TStacker* stacker, UX::TPanel* panel);
    // The width of a button's text and ACCOUNT_BUTTON_PADDING.
    static f32 ButtonWidth(UX::TButton* button);

    // The status label shown from no dots, or hidden at once.
    void ShowStatus();
    void HideStatus();
    // A warning whose closing runs OnFieldErrorClosed (the field's focus).
    void ShowFieldError(const char* titleKey, const char* textKey);
    virtual void OnFieldErrorClosed() {}
    // A question with "btnOK" and "btnAccountResend"; the second asks for the validation mail.
    void AskToResend(const UX::TLocalization& title, const UX::TLocalization& text);
    virtual void OnFormShown() {}
    virtual void OnFormHidden() {}
    // Empties the screen's password boxes, wiped: when the screen is left (a slide out or any
    // hide) and when its request ends, whatever the outcome.
    virtual void WipePasswords() {}

    UX::TLabel* m_pStatus = nullptr;

private:
    UX::TControl* _Find(const char* name, const TName& className);
    static UX::TControl* _RowPart(UX::TControl* row, const TName& className, u32 index);
    void _SlideOut(f32 x);
    void _SlideIn(f32 x);
    void _OnShow(UX::TControl*, void*);
    void _OnHide(UX::TControl*, void*);
    void _OnUpdate(UX::TControl*, UX::TMouse*);
    void _OnFieldErrorClosed(UX::TControl*, TUIMessageResult*);
    void _OnResendAnswer(UX::TControl*, TUIMessageResult* result);

    const char* m_pStatusKey;
    f32 m_fStatusCountdown = 0.0f;
    u32 m_nStatusStep = 0;
};
