#include "engine/render/viewport.h"

TViewport::TViewport()
    : m_nFlags(VIEWPORT_FLAGS_DEFAULT), m_nReserved12(0), pCamera(nullptr), m_fLeft(0.0f), m_fTop(0.0f),
      m_fRight(0.0f), m_fBottom(0.0f), m_aReserved36{}, aRenderScene{}, m_Record{0, 0, 256, 256, 0.0f, 1.0f}
{
}
