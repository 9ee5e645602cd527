#include "testdriver.h"

#include <cstring>

TTestDriver& TestDriver()
{
    static TTestDriver s_Driver;
    return s_Driver;
}

namespace
{
// Built with the statics, as real drivers are.
TTestDriver& s_Driver = TestDriver();
} // namespace

void RegisterTestInputs()
{
    static const i32 s_nResult = TInputManager::Instance().InitializeManager();
    (void)s_nResult;
}

TTestInput& TestInput(const char* name)
{
    for (TTestInput& input : TestDriver().inputs)
        if (std::strcmp(input.GetName()->GetText(), name) == 0)
            return input;
    return TestDriver().inputs.front();
}
