#pragma once
// TOrbitCameraManager ("OrbitCamera"): the level's orbit cameras (the cluster fills the list),
// the current one, which it updates every frame, and the switch between them: a selected
// camera becomes the view of the current viewport set's first viewport and the main camera.
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TOrbitCamera;

// The sky's nodes follow a camera switch at this height.
constexpr f32 ORBIT_SKY_HEIGHT = -3.0f;

class TOrbitCameraManager : public TManager
{
public:
    TOrbitCameraManager();

    // The current camera's update.
    void UpdateManager(f32 step) override;
    // A new camera list (a level loaded or cleared) has no current camera until one is chosen.
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // The current camera reads the player's input (the game logic's input step).
    void HandleInput(f32 step);
    // A null camera changes nothing.
    void SelectCamera(TOrbitCamera* camera);
    // The first camera of the name; none: nothing changes.
    void SelectCameraByName(u32 nameId);
    TOrbitCamera* GetCurrentCamera() const;
    i32 GetCurrentIndex() const { return m_nCurrent; }
    // The in-game screen clears it while the pointer is over its task grid.
    void SetZoomAllowed(u32 allowed) { m_nZoomAllowed = allowed; }
    u32 GetZoomAllowed() const { return m_nZoomAllowed; }
    DArray<TOrbitCamera*>& Cameras() { return m_aCamera; }

private:
    // The viewport, the main and current cameras and the sky follow the camera.
    void ApplyCamera(TOrbitCamera* camera);

    i32 m_nCurrent;
    u32 m_nZoomAllowed;
    DArray<TOrbitCamera*> m_aCamera;
};

extern TOrbitCameraManager* g_pOrbitCameraManager;
