#pragma once
// TOperationSets: voice changes waiting for their quantum. A change made with operation set 0
// is due at the next quantum; one made with another set is held until CommitChanges names
// that set (or XAUDIO2_COMMIT_ALL). Due changes are applied at the start of a quantum in the
// order they were called. Engine lock held throughout.
#include "platform/windef/windef.h"

#include <vector>

class TVoice;

enum class ECommandKind
{
    Start,
    Stop,
    Volume,
    FrequencyRatio,
    OutputMatrix,    // index: the send; data: the levels
    EffectEnabled,   // index: the effect; value: 1 enabled, 0 disabled
    EffectParameters // index: the effect; data: the parameter block
};

struct TCommand
{
    TVoice* voice;
    ECommandKind kind;
    UINT32 operationSet;
    bool due;
    UINT32 index;
    float value;
    UINT32 dataOffset; // into the shared data of the held commands
    UINT32 dataSize;
};

class TOperationSets
{
public:
    void Add(TVoice* voice, ECommandKind kind, UINT32 operationSet, UINT32 index, float value,
             const void* data = nullptr, UINT32 dataSize = 0);
    void Commit(UINT32 operationSet);
    // Hands every due change to apply(command, data) in call order and forgets it.
    template <class Apply> void ApplyDue(Apply&& apply);
    // Drops the changes of a voice that is going away.
    void Forget(const TVoice* voice);

private:
    void KeepOnly(bool (*keep)(const TCommand&, const TVoice*), const TVoice* voice);

    std::vector<TCommand> commands_;
    std::vector<BYTE> data_;
};

template <class Apply> void TOperationSets::ApplyDue(Apply&& apply)
{
    bool anyHeld = false;
    for (const TCommand& command : commands_)
    {
        if (command.due)
            apply(command, data_.data() + command.dataOffset);
        else
            anyHeld = true;
    }
    if (!anyHeld)
    {
        commands_.clear();
        data_.clear();
        return;
    }
    KeepOnly([](const TCommand& command, const TVoice*) { return !command.due; }, nullptr);
}
