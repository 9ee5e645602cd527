// The vehicle manager's debug overlay of the active vehicle, drawn by the software device through
// the canvas and its fonts, against golden images: a wheeled and a tracked vehicle.
#include "canvasfixture.h"

#include "directx/render/dxfontmanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "targetgolden.h"

namespace
{
constexpr i32 kWidth = 480;
constexpr i32 kHeight = 580;

class VehicleOverlayTest : public CanvasFixture
{
protected:
    void TearDown() override
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        g_pVehicleManager->Vehicles().SetCount(0);
        g_pDxFontManager->FinalizeManager();
        CanvasFixture::TearDown();
    }

    std::string Draw(TVehicle& vehicle, const char* golden)
    {
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
        g_pVehicleManager->RenderManager();
        device->EndScene();
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
        vehicle.shownBraking = 0;
        vehicle.shownDriveback = 0;
    }
};
} // namespace

TEST_F(VehicleOverlayTest, TheWheeledAndTheTrackedVehiclesLinesMatchTheirGoldenImages)
{
    TVehicle cart;
    Describe(cart);
    EXPECT_EQ(Draw(cart, "vehicle_overlay_wheeled"), "");
    TVehicle crawler;
    crawler.type = VEHICLE_TRACKED;
    Describe(crawler);
    crawler.leftTorque = -49.0f;
    crawler.rightTorque = 49.0f;
    crawler.leftBrakeTorque = 0.0f;
    crawler.rightBrakeTorque = 300.0f;
    EXPECT_EQ(Draw(crawler, "vehicle_overlay_tracked"), "");
}
