#pragma once
// The particle manager as damage and ballistics reach it: found by its registered name ("Particle")
// at run time, so that this module needs the particle module's interface but not its library. A
// program without particles has none (null).
class TParticleManager;

TParticleManager* FindParticleManager();
