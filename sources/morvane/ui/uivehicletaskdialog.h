#pragma once
// TUIVehicleTaskDialog: the vehicle task dialog, one of the UI game manager's screens. Until its
// behaviour is built it is only registered with the UX manager under its class name, so that the
// UX data bind its form.
#include "ux/ux.instance.h"

class TUIVehicleTaskDialog : public UX::TInstance
{
public:
    TUIVehicleTaskDialog() : UX::TInstance("TUIVehicleTaskDialog") {}
};
