#include "ux/controls/ux.fader.h"

#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "ux/ux.manager.h"

#include <algorithm>

namespace UX
{
namespace
{
constexpr f32 kDefaultDuration = 1.0f;
} // namespace

TFader::TFader() : Time(0.0f), Duration(kDefaultDuration), State(FADER_IDLE) {}

void TFader::Start(u32 state)
{
    Time = 0.0f;
    State = state;
}

void TFader::Finish()
{
    Time = 0.0f;
    if (State == FADER_TO_BLACK)
        State = FADER_BLACK;
    else if (State == FADER_FROM_BLACK)
        State = FADER_IDLE;
    OnFinished.Invoke(nullptr, nullptr);
}

void TFader::Update(f32 step)
{
    if (State == FADER_TO_BLACK || State == FADER_FROM_BLACK)
        Time += step;
}

f32 TFader::Alpha() const
{
    const f32 share = Duration > 0.0f ? std::clamp(Time / Duration, 0.0f, 1.0f) : 1.0f;
    switch (State)
    {
    case FADER_BLACK:
        return 1.0f;
    case FADER_TO_BLACK:
        return share;
    case FADER_FROM_BLACK:
        return 1.0f - share;
    default:
        return 0.0f;
    }
}

void TFader::Draw()
{
    if (State == FADER_IDLE)
        return;
    if (g_pCanvasManager && g_pDeviceManager && g_pUXManager)
    {
        // What the forms drew lies under it.
        g_pCanvasManager->Flush();
        g_pUXManager->FillRect(0.0f, 0.0f, static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                               static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()),
                               TColor{0.0f, 0.0f, 0.0f, Alpha()});
        g_pCanvasManager->Flush();
    }
    if ((State == FADER_TO_BLACK || State == FADER_FROM_BLACK) && Time >= Duration)
        Finish();
}
} // namespace UX
