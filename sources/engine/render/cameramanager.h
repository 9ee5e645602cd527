#pragma once
// TCameraManager: the engine's view of the camera manager ("Camera"), whose Direct3D form is
// TDxCameraManager. It keeps the main camera (the reference for the listener, level-of-detail
// distances and the sky) and the current one (the camera a pass is drawn with), and owns a first
// camera of its own that passes drawn from elsewhere (a light's point of view) put where they
// need it, so that no camera of the level is ever moved for them.
#include "engine/system/manager.h"

class TCamera;
struct TMatrix;

// The lens words of a camera that UseDefaultCamera copies: flags to the orthographic size, then
// the first six words of the projection.
constexpr u32 CAMERA_SETTINGS_WORDS = 16;

class TCameraManager : public TManager
{
public:
    TCameraManager();

    // The manager's own first camera.
    virtual TCamera* GetFirstCamera() = 0;

    TCamera* GetMainCamera() const { return m_pMainCamera; }
    void SetMainCamera(TCamera* camera) { m_pMainCamera = camera; }
    TCamera* GetCurrentCamera() const { return m_pCurrentCamera; }
    void SetCamera(TCamera* camera) { m_pCurrentCamera = camera; }
    // Makes the first camera current with the settings (null: its own lens kept; given: its lens
    // replaced and its projection rebuilt) and its node at the world matrix, and updates its view.
    void UseDefaultCamera(const TMatrix& world, const u32* settings);

protected:
    TCamera* m_pMainCamera;
    TCamera* m_pCurrentCamera;
};

extern TCameraManager* g_pCameraManager;
