#include "engine/input/inputdriver.h"

#include "engine/input/inputmanager.h"

TInputDriver::TInputDriver() : m_nEnabled(1), m_nCapture(0)
{
    TInputManager::Instance().AddDriver(this);
}

TInputDriver::~TInputDriver()
{
    TInputManager::Instance().RemoveDriver(this);
}
