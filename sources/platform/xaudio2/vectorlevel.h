#pragma once
// Which vector instructions the mixer's inner loops use: AVX2 where the processor has it, SSE2
// (what the build targets) otherwise, chosen once at start. Both compute the same bits; tests
// switch between them to check that.

// Whether the mixer uses AVX2 now.
bool MixerUsesAvx2();
// Switches AVX2 on (if the processor has it) or off; false when asked for what it lacks.
bool SetMixerAvx2(bool wanted);
