#pragma once
// Turns SDL events into the layer's messages and raw-input records, the way Windows delivers
// them: the WM_INPUT record first, then the key or mouse message. Keys become scan-code set 1
// records and key messages with virtual-key codes; typed text becomes WM_CHAR in UTF-16 units;
// mouse motion, buttons and the wheel (WHEEL_DELTA per notch) become mouse records and messages
// of the one mouse SDL reports; window events become size, activation, paint and close messages.
#include "platform/window/winuser.h"

#include <SDL2/SDL_events.h>

#include <bitset>

class TSdlEventTranslator
{
public:
    // `window` is the layer's window the event belongs to; key and character messages go to the
    // window with the keyboard focus instead, as on Windows.
    void Translate(const SDL_Event& event, HWND window);

private:
    void TranslateKey(const SDL_KeyboardEvent& event);
    void TranslatePcKey(const SDL_KeyboardEvent& event);
    void TranslateText(const SDL_TextInputEvent& event);
    void TranslateMotion(const SDL_MouseMotionEvent& event, HWND window);
    void TranslateButton(const SDL_MouseButtonEvent& event, HWND window);
    void TranslateWheel(const SDL_MouseWheelEvent& event, HWND window);
    void TranslateWindowEvent(const SDL_WindowEvent& event, HWND window);

    void PostKeyRecord(USHORT makeCode, USHORT flags, WORD virtualKey, UINT message);
    void PostMouseRecord(USHORT buttonFlags, USHORT buttonData, LONG x, LONG y);
    bool IsHeld(SDL_Scancode first, SDL_Scancode second) const;
    WPARAM MouseKeyFlags() const;
    // A point of the native window in the layer's client co-ordinates.
    static POINT ClientPoint(Uint32 windowId, HWND window, int x, int y);

    std::bitset<SDL_NUM_SCANCODES> pressed_;
    WORD mouseButtons_ = 0; // MK_ flags of the buttons held
    LPARAM lastKeyParam_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
};
