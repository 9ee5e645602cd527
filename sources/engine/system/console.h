#pragma once
// TConsoleManager ("Console"): the in-game console. It is the command manager's output
// listener and keeps the last 256 printed lines; while visible it holds the input focus and
// turns buffered key events into an input line with history and completion, run with
// ExecuteText on Enter. Toggled by the input "Tilde"; fades in and out over 0.2 s of real time,
// so a paused game timer does not stop it.
#include "core/cluster/clustermethods.h"
#include "engine/input/inputevent.h"
#include "engine/input/inputeventring.h"
#include "engine/input/inputfocus.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandmethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

#include <span>

class TInput;

// The quick start the console prints when it begins; each "^G...^." names a command the player
// may type.
std::span<const char* const> ConsoleQuickStart();

constexpr u32 CONSOLE_LINES = 256;
constexpr u32 CONSOLE_LINE_SIZE = 128;
constexpr u32 CONSOLE_HISTORY = 32;
constexpr u32 CONSOLE_INPUT_SIZE = 64;
constexpr i32 CONSOLE_COMPLETION_ROWS = 5;
// Key events taken from the input manager that wait for the console's next frame.
constexpr u32 CONSOLE_PENDING_KEYS = 2 * INPUT_RING_SIZE;
constexpr f32 CONSOLE_FADE_TIME = 0.2f;

// A ring of fixed texts; when full the oldest is dropped.
template <u32 N, u32 Size> struct TConsoleRing
{
    char aText[N][Size];
    u32 nHead;
    u32 nTail;
    u32 nCount;

    void Add(const char* text);
    // Back from the newest: 0 is the newest; null past the oldest.
    const char* Back(u32 index) const;
};

class TConsoleManager : public TManager,
                        public TInputFocus,
                        public TClusterMethods,
                        public TCommandMethods,
                        public TResourceMethods
{
public:
    TConsoleManager();

    void BeginManager() override;
    void UpdateManager(f32 step) override;
    // Draws the output lines, the input line and the completion rows through the canvas.
    void RenderManager() override;

    // TInputFocus.
    bool WantsInput() override { return m_nVisible != 0; }
    i32 OnFocusGain() override;
    void OnFocusLost() override;
    void UpdateFocus(f32 step) override;

    // TClusterMethods: with no viewport to show, a hidden console opens by itself, fading in
    // after a 0.2 s pause.
    void OnClusterLoad() override;

    // TCommandMethods.
    void PrintLine(const char* text, int isError) override;
    void SetInput(const char* text) override;
    void AppendInput(const char* text) override;

    // Flips the visible flag (and "console_show"), starting the fade in or out.
    void Toggle();
    // Moves the fade time by a real time step.
    void AdvanceFade(f32 delta);
    // One key event; false when the events left wait for the next frame.
    bool HandleKey(const TInputEvent& event);
    // Whether the line lost keys (typed or pasted past its 63 characters, or a text cut to fit):
    // shown, and never run.
    bool HasLostKeys() const { return m_nLost != 0; }

    u32 IsVisible() const { return m_nVisible; }
    f32 GetFadeTime() const { return m_fFadeTime; }
    i32 GetScrollOffset() const { return m_nScroll; }
    const char* GetInput() const { return m_aInput; }
    const TConsoleRing<CONSOLE_LINES, CONSOLE_LINE_SIZE>& GetLines() const { return m_Lines; }
    const TConsoleRing<CONSOLE_HISTORY, CONSOLE_INPUT_SIZE>& GetHistory() const { return m_History; }
    i32 GetCandidateCount() const { return static_cast<i32>(m_aCandidate.GetCount()); }
    i32 GetFirstRow() const { return m_nFirstRow; }
    i32 GetSelectedRow() const { return m_nSelectedRow; }

private:
    void _Complete();
    // The input line becomes the text, with the lost-keys mark given; one that does not fit marks
    // the line.
    void _ReplaceInput(const char* text, u32 lost = 0);
    // A key that did not fit: the line shows it the first time.
    void _LoseKeys();
    // Empties the input line (wiped: it may have held a password).
    void _ClearInput();
    // Clamps the selection to the candidates and moves the 5-row window over it.
    void _PlaceWindow();
    void _BrowseHistory(i32 direction);
    // Moves the view back (lines > 0) or forward through the output.
    void _Scroll(i32 lines);

    u32 m_nVisible = 0;
    TInput* m_pToggle = nullptr;
    i32 m_nScroll = 0;
    TConsoleRing<CONSOLE_LINES, CONSOLE_LINE_SIZE> m_Lines = {};
    TConsoleRing<CONSOLE_HISTORY, CONSOLE_INPUT_SIZE> m_History = {};
    char m_aInput[CONSOLE_INPUT_SIZE] = {};
    u32 m_nLost = 0;
    // While open the console alone takes the keys: those left for its next frame wait here, not in
    // the input manager's ring, where a text box focused behind the console would read them.
    TInputEvent m_aPending[CONSOLE_PENDING_KEYS] = {};
    u32 m_nPending = 0;
    i32 m_nFirstRow = 0;
    i32 m_nSelectedRow = 0;
    i32 m_nBrowse = -1;
    TCompletionList m_aCandidate;
    TCompletionList m_aDescription;
    f32 m_fFadeTime = 0.0f;
};

extern TConsoleManager* g_pConsoleManager;
