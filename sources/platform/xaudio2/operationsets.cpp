#include "platform/xaudio2/operationsets.h"

#include "platform/xaudio2/xaudio2.h"

#include <cstring>

void TOperationSets::Add(TVoice* voice, ECommandKind kind, UINT32 operationSet, UINT32 index, float value,
                         const void* data, UINT32 dataSize)
{
    const UINT32 offset = static_cast<UINT32>(data_.size());
    if (dataSize)
    {
        data_.resize(offset + dataSize);
        std::memcpy(data_.data() + offset, data, dataSize);
    }
    commands_.push_back({voice, kind, operationSet, operationSet == XAUDIO2_COMMIT_NOW, index, value, offset, dataSize});
}

void TOperationSets::Commit(UINT32 operationSet)
{
    for (TCommand& command : commands_)
        if (operationSet == XAUDIO2_COMMIT_ALL || command.operationSet == operationSet)
            command.due = true;
}

void TOperationSets::Forget(const TVoice* voice)
{
    KeepOnly([](const TCommand& command, const TVoice* gone) { return command.voice != gone; }, voice);
}

void TOperationSets::KeepOnly(bool (*keep)(const TCommand&, const TVoice*), const TVoice* voice)
{
    std::vector<TCommand> kept;
    std::vector<BYTE> keptData;
    for (TCommand command : commands_)
    {
        if (!keep(command, voice))
            continue;
        const UINT32 offset = static_cast<UINT32>(keptData.size());
        keptData.insert(keptData.end(), data_.begin() + command.dataOffset,
                        data_.begin() + command.dataOffset + command.dataSize);
        command.dataOffset = offset;
        kept.push_back(command);
    }
    commands_ = std::move(kept);
    data_ = std::move(keptData);
}
