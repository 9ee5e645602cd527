// The vehicle manager's debug overlay of the active vehicle, drawn by the software device through
// the canvas and its fonts from the render list the game's start-up script builds: a wheeled and a
// tracked vehicle against golden images while the debug renders are on, nothing while they are off.
#include "canvasfixture.h"

#include "directx/render/dxfontmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "targetgolden.h"

#include <fstream>
#include <tuple>

namespace
{
constexpr i32 kWidth = 480;
constexpr i32 kHeight = 580;

class VehicleOverlayTest : public CanvasFixture
{
protected:
    void TearDown() override
    {
        m_RenderDebug.SetInt(0);
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        g_pVehicleManager->Vehicles().SetCount(0);
        g_pDxFontManager->FinalizeManager();
        CanvasFixture::TearDown();
    }

    // With the debug renders switched: the vehicle and sound entries of the render list the
    // start-up script's own render lines build, run in its order (the overlay's text, the sound
    // manager's canvas flush, which stays listed after its first frame).
    std::string Draw(TVehicle& vehicle, i32 debug, const char* golden)
    {
        static TManagerSystem* s_pGame = [] {
            std::ifstream script(VESTAMOR_SCRIPT_DIR "/system.icom");
            std::string text = "manager.system.create \"Game\"\n", line;
            while (std::getline(script, line))
                text += line.rfind("manager.render.", 0) == 0 ? line + "\n" : "";
            TCommandManager::Instance().ExecuteText(text.c_str());
            return g_ManagerManager.FindSystem(TName("Game", true));
        }();
        m_RenderDebug.SetInt(debug);
        m_pManager->SetBackBufferSize(kWidth, kHeight);
        m_pCanvas->SetApertureMode(0);
        g_pVehicleManager->Vehicles().SetCount(0);
        g_pVehicleManager->Vehicles().Add(&vehicle);
        g_pVehicleManager->SetActiveVehicleIndex(0);
        TRenderTarget* target = g_pDxRenderTargetManager->CreateRenderTarget(TName(golden, true), kWidth,
                                                                             kHeight, 0x102, 0, 0, 0);
        target->SetRenderTarget(nullptr);
        IDirect3DDevice9* device = m_pManager->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        device->BeginScene();
        std::string ran;
        TManagerList& list = s_pGame->aList[MANAGER_LIST_RENDER];
        for (u32 i = 0; i < list.GetCount(); ++i)
            if (const std::string name = list[i].pManager->GetNameText(); name == "Vehicle" || name == "Sound")
            {
                ran += name + " ";
                list[i].pManager->m_nStepWord = list[i].nWord;
                list[i].pManager->RenderManager();
            }
        device->EndScene();
        EXPECT_EQ(ran, "Vehicle Sound ") << golden;
        return CompareTargetWithGolden(target, golden, kWidth, kHeight);
    }

    // The state the overlay shows, the same for both kinds.
    static void Describe(TVehicle& vehicle)
    {
        TVehicleParameters& p = vehicle.Parameters;
        p.fSteerAngle = -12.5f;
        p.fSpeed = 15.25f;
        p.fBrakingTorque = 20.0f;
        p.fDriveTorque = 33.75f;
        p.fIncline = 4.5f;
        p.nGear = 1;
        vehicle.flags = VEHICLE_DRIVING | VEHICLE_REVERSE | VEHICLE_HANDBRAKE | VEHICLE_HANDBRAKE_LOCK;
        vehicle.shownDriving = VEHICLE_DRIVING;
        vehicle.shownSteering = VEHICLE_STEERING;
    }

    TDeferredVariable m_RenderDebug{"render_debug"};
};
} // namespace

// Switched off after the first drawing and on again: each frame follows the switch.
TEST_F(VehicleOverlayTest, TheGamesRenderListDrawsTheLinesOnlyWhileTheDebugRendersAreOn)
{
    TVehicle cart;
    Describe(cart);
    TVehicle crawler;
    crawler.type = VEHICLE_TRACKED;
    Describe(crawler);
    crawler.leftTorque = -49.0f;
    crawler.rightTorque = 49.0f;
    crawler.rightBrakeTorque = 300.0f;
    for (auto [vehicle, debug, golden] : {std::tuple{&cart, 1, "vehicle_overlay_wheeled"},
                                          {&crawler, 0, "vehicle_overlay_off"}, {&crawler, 1, "vehicle_overlay_tracked"}})
        EXPECT_EQ(Draw(*vehicle, debug, golden), "") << golden;
}
