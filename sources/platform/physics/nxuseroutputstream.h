#pragma once
// Where the SDK layer reports errors, failed assertions and messages; the engine implements it.
#include "platform/physics/nxtypes.h"

class NxUserOutputStream
{
public:
    virtual ~NxUserOutputStream() = default;
    virtual void reportError(NxErrorCode code, const char* message, const char* file, int line) = 0;
    // The answer is read and the layer goes on whatever it is: a release process is never trapped.
    virtual NxAssertResponse reportAssertViolation(const char* message, const char* file, int line) = 0;
    virtual void print(const char* message) = 0;
};
