#include "ux/controls/ux.fader.h"

#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"

#include <algorithm>

namespace UX
{
namespace
{
constexpr f32 kDefaultDuration = 1.0f;
// The canvas's alpha-blended colour shader.
constexpr i32 kColourShader = 1;
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
    if (g_pCanvasManager && g_pDeviceManager)
    {
        g_pCanvasManager->Flush();
        g_pCanvasManager->DrawTexture(0.0f, 0.0f, static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                                      static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()),
                                      g_pCanvasManager->SetShader(nullptr, kColourShader),
                                      TColor{0.0f, 0.0f, 0.0f, Alpha()});
    }
    if ((State == FADER_TO_BLACK || State == FADER_FROM_BLACK) && Time >= Duration)
        Finish();
}
} // namespace UX
