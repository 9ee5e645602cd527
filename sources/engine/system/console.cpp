#include "engine/system/console.h"

#include "core/cluster/cluster.h"
#include "core/cluster/useridlink.h"
#include "core/system/abort.h"
#include "core/system/platform.h"
#include "core/system/timer.h"
#include "engine/input/input.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/fontmanager.h"
#include "engine/render/texturemanager.h"
#include "engine/render/viewport.h"
#include "engine/system/commandarguments.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

TConsoleManager* g_pConsoleManager = nullptr;

namespace
{
constexpr const char* kVersion = "2.0.1";
constexpr u32 kFocusLayer = 2;
// Lines scrolled back stop this many short of the oldest.
constexpr i32 kScrollMargin = 10;
// Output lines shown above the input line: Page Up and Page Down scroll by this many.
constexpr i32 kOutputRows = 18;
constexpr f32 kOutputLeft = 22.0f;
constexpr f32 kOutputRight = 580.0f;
constexpr u32 kColorCount = 9;
constexpr const char* kQuickStart[] = {
    "quick start:",
    "   console is toggled by pressing ^H~^. key",
    "   type ^Gcommand.list^. for the list of all commands",
    "   type ^Gvariable.list^. for the list of all variables",
    "   type ^Ghelp command^. for the command help",
    "   type ^Gset device.size 800 600^. to set window size",
    "   type ^Gaction.bind action input^. to bind action input",
};
// The user colours A to I, red, green and blue over 255.
constexpr u8 kColors[kColorCount][3] = {{239, 224, 224}, {224, 80, 32},  {239, 224, 224},
                                        {240, 160, 64},  {239, 224, 224}, {64, 224, 160},
                                        {160, 160, 96},  {144, 144, 224}, {64, 144, 224}};
enum EConsoleColor
{
    COLOR_A,
    COLOR_B,
    COLOR_C,
    COLOR_D,
    COLOR_E,
    COLOR_F,
    COLOR_G,
    COLOR_H,
    COLOR_I
};
TColor s_aColor[kColorCount];
// The canvas shader kind of alpha-blended textures.
constexpr i32 kAlphaShader = 1;
// Set by console_echo: the next key event is shown and copied.
u32 s_nEcho = 0;

// The texture of a static link: the stored object of that user id, else the texture manager's
// texture of that name; null when neither has it.
TTexture* LinkedTexture(TUserIdLink& link)
{
    if (void* object = link.FindObject())
        return static_cast<TTexture*>(object);
    if (!g_pTextureManager)
        return nullptr;
    TName name;
    name.SetId(link.nUserId);
    TTexture* texture = g_pTextureManager->FindTexture(name);
    link.SetObject(texture);
    return texture;
}

// Clears a line whole: one typed may have carried a password.
void WipeLine(char* line, u32 size)
{
    volatile char* bytes = line;
    for (u32 i = 0; i < size; ++i)
        bytes[i] = 0;
}

TUserIdLink& BackgroundLink()
{
    static TUserIdLink s_Link(TName("Texture_console", true).GetId());
    return s_Link;
}

TUserIdLink& CursorLink()
{
    static TUserIdLink s_Link(TName("Texture_cursor", true).GetId());
    return s_Link;
}

class TCommandconsole_echo : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            s_nEcho = 1;
    }
};

class TCommandversion : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            TCommandManager::Instance().Print("version %s", kVersion);
    }
};

TCommandconsole_echo s_Commandconsole_echo;
TCommandversion s_Commandversion;
const u32 s_nCommands = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("console_echo", "console input echo", "Displays the next pressed key in console.",
                            &s_Commandconsole_echo, 0);
    manager.RegisterCommand("version", "display vestamor version",
                            "Display the vestamor engine version and build information.", &s_Commandversion, 0);
    return 0u;
}();

class Tconsole_showVariable : public TVariable
{
public:
    Tconsole_showVariable() : TVariable("console_show", "Show console.", 0x2) { m_Value.SetInt(0); }
    void OnChange() override;
};

Tconsole_showVariable s_console_show;
TConsoleManager s_ConsoleManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Console", "Console", &g_pConsoleManager, &s_ConsoleManager);

void Tconsole_showVariable::OnChange()
{
    const i32 shown = m_Value.ToInt();
    m_Value.SetInt(shown);
    if ((shown != 0) != (s_ConsoleManager.IsVisible() != 0))
        s_ConsoleManager.Toggle();
}

void Copy(char* target, u32 size, const char* text)
{
    std::snprintf(target, size, "%s", text);
}

bool IsKey(const TInputEvent& event, const char* name, u32 modifiers = 0)
{
    return (event.nModifiers & INPUT_KEY_MODIFIERS) == modifiers && strcasecmp(InputKeyName(event.nCode), name) == 0;
}

// Where the first row of a text ends: the longest start that fits the width, cut at a space
// where one is and never inside a markup code ("^X", "|ddd"); at least the given count, so that
// each row takes some of the text.
i32 WrapEnd(TCanvasManager& canvas, const char* text, i32 length, f32 width, i32 least)
{
    if (static_cast<f32>(canvas.GetTextWidth(text, length)) <= width)
        return length;
    i32 end = 1;
    for (i32 high = length - 1; end < high;)
    {
        const i32 mid = (end + high + 1) / 2;
        if (static_cast<f32>(canvas.GetTextWidth(text, mid)) <= width)
            end = mid;
        else
            high = mid - 1;
    }
    for (i32 i = std::max(end - 4, 0); i < end; ++i)
        if ((text[i] == '^' && i + 1 == end) || (text[i] == '|' && i + 3 < length && i + 4 > end))
        {
            end = i;
            break;
        }
    for (i32 i = end; i >= least; --i)
        if (text[i] == ' ')
            return i;
    return std::min(std::max(end, least), length);
}

// The rows of a line in the width; a row after the first starts with the colour code in force.
std::vector<std::string> WrapLine(TCanvasManager& canvas, const char* line, f32 width)
{
    std::vector<std::string> pieces;
    std::string colour;
    for (std::string rest = line; !rest.empty();)
    {
        const i32 end =
            WrapEnd(canvas, rest.c_str(), static_cast<i32>(rest.size()), width, static_cast<i32>(colour.size()) + 1);
        std::string piece = rest.substr(0, static_cast<size_t>(end));
        for (size_t i = 0; i + 1 < piece.size(); ++i)
            if (piece[i] == '^')
            {
                if (!std::strchr("^<|>", piece[i + 1]))
                    colour = piece.substr(i, 2);
                ++i;
            }
        const size_t next = rest.find_first_not_of(' ', static_cast<size_t>(end));
        rest = next == std::string::npos ? std::string() : colour + rest.substr(next);
        if (rest == colour)
            rest.clear();
        pieces.push_back(std::move(piece));
    }
    return pieces;
}
} // namespace

std::span<const char* const> ConsoleQuickStart()
{
    return kQuickStart;
}

template <u32 N, u32 Size> void TConsoleRing<N, Size>::Add(const char* text)
{
    Copy(aText[nHead], Size, text);
    nHead = (nHead + 1) % N;
    if (nCount == N)
        nTail = (nTail + 1) % N;
    else
        ++nCount;
}

template <u32 N, u32 Size> const char* TConsoleRing<N, Size>::Back(u32 index) const
{
    return index < nCount ? aText[(nHead + N - 1 - index) % N] : nullptr;
}

template struct TConsoleRing<CONSOLE_LINES, CONSOLE_LINE_SIZE>;
template struct TConsoleRing<CONSOLE_HISTORY, CONSOLE_INPUT_SIZE>;

TConsoleManager::TConsoleManager()
{
    nLayer = INPUT_FOCUS_NO_LAYER;
    // Every frame, paused or not.
    m_nChannel = 0;
    m_nUpdateFlags &= ~1u;
    // Lines printed before the console begins are kept.
    if (g_pCommandManager)
        g_pCommandManager->SetListener(this);
}

void TConsoleManager::BeginManager()
{
    m_nVisible = 0;
    m_fFadeTime = 0.0f;
    m_nFirstRow = m_nSelectedRow = m_nScroll = 0;
    m_nBrowse = 0;
    g_pInputManager->RegisterInputFocus(this, kFocusLayer);
    m_pToggle = g_pInputManager->FindInput(TName("Tilde"));
    if (!m_pToggle)
        __Abort("TConsoleManager::BeginManager", "sources/engine/system/console", __LINE__, "'Tilde': undeclared input");
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    g_pCommandManager->SetListener(this);
    g_pCommandManager->Print("^Hversion %s", kVersion);
    for (const char* line : kQuickStart)
        g_pCommandManager->Print("%s", line);
}

void TConsoleManager::OnClusterLoad()
{
    // The viewports are the viewport manager's cluster array.
    TClusterManager* viewports = g_pCluster->GetArrayManager(VIEWPORT_TYPE_ID);
    void* data = nullptr;
    i32 count = 0;
    if (viewports)
        viewports->GetArray(VIEWPORT_TYPE_ID, data, count);
    if (count > 0 || m_nVisible)
        return;
    m_nVisible = 1;
    s_console_show.Store(1);
    m_fFadeTime = -CONSOLE_FADE_TIME;
}

void TConsoleManager::UpdateManager(f32)
{
    if (m_pToggle && m_pToggle->WasPressed())
    {
        Toggle();
        // Inputs may update less often than frames: one press toggles once.
        m_pToggle->ClearPressed();
    }
    AdvanceFade(g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f);
}

void TConsoleManager::Toggle()
{
    m_nVisible = !m_nVisible;
    s_console_show.Store(static_cast<i32>(m_nVisible));
    m_fFadeTime = m_nVisible ? 0.0f : CONSOLE_FADE_TIME;
}

void TConsoleManager::AdvanceFade(f32 delta)
{
    if (m_nVisible && m_fFadeTime < CONSOLE_FADE_TIME)
        m_fFadeTime = std::min(m_fFadeTime + delta, CONSOLE_FADE_TIME);
    else if (!m_nVisible && m_fFadeTime > 0.0f)
        m_fFadeTime = std::max(m_fFadeTime - delta, 0.0f);
}

i32 TConsoleManager::OnFocusGain()
{
    g_pInputManager->BufferedInputEnable();
    if (m_aCandidate.GetCapacity() == 0)
    {
        m_aCandidate.SetCapacity(32);
        m_aDescription.SetCapacity(32);
    }
    return 0;
}

void TConsoleManager::OnFocusLost()
{
    WipeLine(reinterpret_cast<char*>(m_aPending), sizeof m_aPending);
    m_nPending = 0;
    g_pInputManager->BufferedInputDisable();
    m_nVisible = 0;
    s_console_show.Store(0);
}

void TConsoleManager::UpdateFocus(f32)
{
    for (TInputEvent event = g_pInputManager->GetBufferedInput(); event.nCode || event.nValue;
         event = g_pInputManager->GetBufferedInput())
    {
        if (m_nPending < CONSOLE_PENDING_KEYS)
            m_aPending[m_nPending++] = event;
        else if (event.nValue && !(event.nModifiers & INPUT_KEY_PRESS))
            _LoseKeys();
    }
    u32 taken = 0;
    for (bool more = true; more && taken < m_nPending;)
        more = HandleKey(m_aPending[taken++]);
    // Typed characters: what is taken is wiped.
    std::memmove(m_aPending, m_aPending + taken, (m_nPending - taken) * sizeof(TInputEvent));
    m_nPending -= taken;
    WipeLine(reinterpret_cast<char*>(m_aPending + m_nPending), (CONSOLE_PENDING_KEYS - m_nPending) * sizeof(TInputEvent));
}

void TConsoleManager::PrintLine(const char* text, int)
{
    m_Lines.Add(text);
    m_nScroll = 0;
}

void TConsoleManager::SetInput(const char* text)
{
    _ReplaceInput(text);
    _Complete();
    _PlaceWindow();
}

void TConsoleManager::AppendInput(const char* text)
{
    // Joined past 63 characters, the text is cut below: the line is marked then.
    char joined[CONSOLE_LINE_SIZE];
    std::snprintf(joined, sizeof(joined), "%s%s", m_aInput, text);
    _ReplaceInput(joined, m_nLost);
    WipeLine(joined, sizeof joined);
    _Complete();
    _PlaceWindow();
}

void TConsoleManager::_ReplaceInput(const char* text, u32 lost)
{
    WipeLine(m_aInput, sizeof m_aInput);
    m_nLost = lost;
    Copy(m_aInput, CONSOLE_INPUT_SIZE, text);
    if (std::strlen(text) >= CONSOLE_INPUT_SIZE)
        _LoseKeys();
}

void TConsoleManager::_LoseKeys()
{
    if (m_nLost)
        return;
    m_nLost = 1;
    g_pCommandManager->PrintError("the line is full (%d characters): what does not fit is lost, and the line "
                                  "will not run",
                                  CONSOLE_INPUT_SIZE - 1);
}

void TConsoleManager::_ClearInput()
{
    WipeLine(m_aInput, sizeof m_aInput);
    m_nLost = 0;
}

void TConsoleManager::_Complete()
{
    m_aCandidate.SetCount(0);
    m_aDescription.SetCount(0);
    g_pCommandManager->Complete(m_aInput, m_aCandidate, m_aDescription);
}

void TConsoleManager::_PlaceWindow()
{
    const i32 count = GetCandidateCount();
    if (count == 0)
    {
        m_nSelectedRow = m_nFirstRow = 0;
        return;
    }
    m_nSelectedRow = std::clamp(m_nSelectedRow, 0, count - 1);
    if (m_nSelectedRow < m_nFirstRow)
        m_nFirstRow = m_nSelectedRow;
    else if (m_nSelectedRow - m_nFirstRow >= CONSOLE_COMPLETION_ROWS)
        m_nFirstRow = m_nSelectedRow - (CONSOLE_COMPLETION_ROWS - 1);
    m_nFirstRow = std::max(std::min(m_nFirstRow, count - CONSOLE_COMPLETION_ROWS), 0);
}

void TConsoleManager::_Scroll(i32 lines)
{
    // Back at most to kScrollMargin lines short of the oldest.
    const i32 deepest = std::max(static_cast<i32>(m_Lines.nCount) - kScrollMargin + 1, 0);
    m_nScroll = std::clamp(m_nScroll + lines, 0, deepest);
}

void TConsoleManager::_BrowseHistory(i32 direction)
{
    const i32 count = static_cast<i32>(m_History.nCount);
    m_nBrowse += direction;
    if (m_nBrowse >= count)
        m_nBrowse = 0;
    else if (m_nBrowse < 0)
        m_nBrowse = count - 1;
    _ReplaceInput(m_History.Back(static_cast<u32>(m_nBrowse)));
}

bool TConsoleManager::HandleKey(const TInputEvent& event)
{
    if (s_nEcho)
    {
        const TInputKey key = {event.nModifiers & INPUT_KEY_MODIFIERS, event.nCode, 0};
        const char* text = TInputKey::ToText(key);
        char line[CONSOLE_LINE_SIZE];
        std::snprintf(line, sizeof line, "   '%s' (copied into clipboard)", text);
        PrintLine(line, 0);
        char copied[INPUT_KEY_TEXT_SIZE + 1];
        std::snprintf(copied, sizeof copied, "%s ", text);
        ClipboardSetTextA(copied);
        s_nEcho = 0;
    }
    const u32 length = static_cast<u32>(std::strlen(m_aInput));
    if (IsKey(event, "`"))
        return false;
    if (IsKey(event, "Esc"))
    {
        _ClearInput();
        m_nBrowse = -1;
    }
    else if (IsKey(event, "Enter"))
    {
        char line[CONSOLE_INPUT_SIZE];
        Copy(line, sizeof(line), m_aInput);
        // A line carrying a password, or one that does not run (a mistyped or cut command word may
        // be one), is neither kept nor shown beyond its declared command; one that lost keys
        // never runs.
        const bool lost = m_nLost != 0;
        TName command;
        const bool secret = g_pCommandManager->IsPrivateLine(line, &command) || lost;
        if (!secret)
            m_History.Add(m_aInput);
        g_pCommandManager->Print("^r___________________________________________________________");
        if (!secret)
            g_pCommandManager->Print("^G%s", line);
        else if (command.IsValid())
            g_pCommandManager->Print("^G%s ...", command.GetText());
        else
            g_pCommandManager->Print("^G...");
        if (lost)
            g_pCommandManager->PrintError("the line lost what was typed past its %d characters: not run",
                                          CONSOLE_INPUT_SIZE - 1);
        else
            g_pCommandManager->ExecuteText(line);
        WipeLine(line, sizeof line);
        _ClearInput();
        m_nBrowse = -1;
        m_nScroll = 0;
    }
    else if (IsKey(event, "Backspace"))
    {
        if (length)
            m_aInput[length - 1] = 0;
        // Emptied, the line starts anew.
        if (length <= 1)
            m_nLost = 0;
    }
    else if (IsKey(event, "Tab"))
    {
        if (GetCandidateCount() && std::strlen(m_aCandidate[m_nSelectedRow].aText) < CONSOLE_INPUT_SIZE)
            _ReplaceInput(m_aCandidate[m_nSelectedRow].aText);
        else if (GetCandidateCount())
            _LoseKeys();
    }
    else if (IsKey(event, "Up") || IsKey(event, "Down"))
    {
        const i32 direction = IsKey(event, "Up") ? 1 : -1;
        if (GetCandidateCount())
        {
            m_nSelectedRow -= direction;
            _PlaceWindow();
            return true;
        }
        if (m_History.nCount == 0)
            return true;
        _BrowseHistory(direction);
    }
    else if (IsKey(event, "Up", INPUT_KEY_SHIFT) || IsKey(event, "PageUp"))
    {
        _Scroll(IsKey(event, "PageUp") ? kOutputRows : 1);
        return false;
    }
    else if (IsKey(event, "Down", INPUT_KEY_SHIFT) || IsKey(event, "PageDown"))
    {
        _Scroll(IsKey(event, "PageDown") ? -kOutputRows : -1);
        return false;
    }
    else if (IsKey(event, "Down", INPUT_KEY_CTRL))
    {
        m_nScroll = 0;
        return false;
    }
    else if (IsKey(event, "v", INPUT_KEY_CTRL))
    {
        const char* pasted = ClipboardGetTextA();
        if (length + std::strlen(pasted) < CONSOLE_INPUT_SIZE)
            std::strcat(m_aInput, pasted);
        else
            _LoseKeys();
    }
    else if (IsKey(event, "c", INPUT_KEY_CTRL))
    {
        ClipboardSetTextA(m_aInput);
        return false;
    }
    else
    {
        // Only plain characters are typed: a key's press (Home, Delete, F1 ...) carries its
        // virtual-key code, no character; '%' would turn the line into a format.
        if ((event.nModifiers & (INPUT_KEY_ALT | INPUT_KEY_CTRL | INPUT_KEY_PRESS | INPUT_KEY_MOUSE)) ||
            event.nValue == '%' || event.nValue == 0)
            return false;
        if (length >= CONSOLE_INPUT_SIZE - 1)
        {
            _LoseKeys();
            return false;
        }
        m_aInput[length] = static_cast<char>(event.nValue);
        m_aInput[length + 1] = 0;
    }
    _Complete();
    _PlaceWindow();
    return true;
}

void TConsoleManager::RenderManager()
{
    if (!m_nVisible && m_fFadeTime == 0.0f)
        return;
    TCanvasManager* canvas = g_pCanvasManager;
    if (!canvas || !g_pFontManager || !g_pDeviceManager)
        return;
    // The toggle key types nothing.
    if (m_pToggle && m_pToggle->IsPressed())
        for (TInputEvent event = g_pInputManager->GetBufferedInput(); event.nCode || event.nValue;
             event = g_pInputManager->GetBufferedInput())
            ;
    const f32 fade = m_fFadeTime >= 0.0f ? std::sin(m_fFadeTime * 7.853982f) : 0.0f;
    const f32 h = static_cast<f32>(g_pDeviceManager->GetBackBufferHeight());
    canvas->SetFont(TName("Myriad Pro", true), 18);
    if (TTexture* background = LinkedTexture(BackgroundLink()))
        canvas->DrawTexture(0.0f, h - 600.0f, 600.0f, h, canvas->SetShader(background, kAlphaShader),
                            {1.0f, 1.0f, 1.0f, fade});
    for (u32 i = 0; i < kColorCount; ++i)
        s_aColor[i] = {kColors[i][0] / 255.0f, kColors[i][1] / 255.0f, kColors[i][2] / 255.0f, fade};
    g_pFontManager->SetUserColors(kColorCount, s_aColor);

    // A line wider than the window goes on in the rows above its end.
    i32 row = 0;
    for (u32 back = 0; row < kOutputRows; ++back)
    {
        const char* line = m_Lines.Back(static_cast<u32>(m_nScroll) + back);
        if (!line)
            break;
        const std::vector<std::string> pieces = WrapLine(*canvas, line, kOutputRight - kOutputLeft);
        for (auto piece = pieces.rbegin(); piece != pieces.rend() && row < kOutputRows; ++piece, ++row)
        {
            const f32 y = h - 196.0f - 20.0f * static_cast<f32>(row);
            const f32 rect[4] = {kOutputLeft, y, kOutputRight, y + 24.0f};
            canvas->WriteRect(rect, s_aColor[COLOR_A], piece->c_str(), 0);
        }
    }
    const f32 input[4] = {22.0f, h - 159.0f, 580.0f, h - 135.0f};
    const i32 count = GetCandidateCount();
    // A line that lost keys is drawn in the errors' colour.
    canvas->WriteRect(input, s_aColor[m_nLost ? COLOR_I : count ? COLOR_B : COLOR_C], m_aInput, 0);
    if (TTexture* cursor = LinkedTexture(CursorLink()))
    {
        // A blink of about a second.
        const f32 seconds = g_pTimer ? static_cast<f32>(g_pTimer->GetTime()) : 0.0f;
        const f32 w = static_cast<f32>(canvas->GetTextWidth(m_aInput, -1));
        canvas->DrawTexture(w + 22.0f, h - 158.0f, w + 32.0f, h - 138.0f, canvas->SetShader(cursor, kAlphaShader),
                            {1.0f, 1.0f, 1.0f, (std::sin(6.0f * seconds) + 1.0f) * 0.5f * fade});
    }

    if (count)
    {
        canvas->SetFont(TName("Myriad Pro", true), 16);
        for (i32 k = 0; k < CONSOLE_COMPLETION_ROWS && m_nFirstRow + k < count; ++k)
        {
            const i32 row = m_nFirstRow + k;
            const f32 y = h - 123.0f + 18.0f * static_cast<f32>(k);
            const f32 candidate[4] = {30.0f, y, 400.0f, y + 22.0f};
            const f32 description[4] = {400.0f, y, 580.0f, y + 22.0f};
            canvas->WriteRect(candidate, s_aColor[row == m_nSelectedRow ? COLOR_E : COLOR_D], m_aCandidate[row].aText,
                              0);
            canvas->WriteRect(description, s_aColor[COLOR_F], m_aDescription[row].aText, 0);
        }
    }
    canvas->SetDefaultFont();
}
