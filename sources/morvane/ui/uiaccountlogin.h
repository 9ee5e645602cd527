#pragma once
// TUIAccountLogin: the account login screen, one of the UI game manager's screens. Until its
// behaviour is built it is only registered with the UX manager under its class name, so that the
// UX data bind its form.
#include "ux/ux.instance.h"

class TUIAccountLogin : public UX::TInstance
{
public:
    TUIAccountLogin() : UX::TInstance("TUIAccountLogin") {}
};
