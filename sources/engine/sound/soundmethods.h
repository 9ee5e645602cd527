#pragma once
// TSoundMethods: the sound manager's listener interface (TSoundManager::AddMethod): told of
// every sound instance released after it finished or was stopped.
class TSound;

class TSoundMethods
{
public:
    virtual ~TSoundMethods() = default;
    virtual void OnSoundEnded(TSound* sound) = 0;
};
