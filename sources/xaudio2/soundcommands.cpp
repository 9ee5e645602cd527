// The sound console: "sound_info", "sound_list", "sound_volume", "sound_play" and
// "sound_device_list".
#include "core/system/string.h"
#include "engine/sound/sound.h"
#include "engine/sound/sounddata.h"
#include "engine/sound/soundgroup.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/commandarguments.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2state.h"

#include <cstdlib>

namespace
{
TCommandManager& Commands()
{
    return TCommandManager::Instance();
}

// A released record holds no clip.
const char* SoundName(const TSound* sound)
{
    return sound && sound->pSoundData ? sound->pSoundData->GetNameText() : "<free>";
}

void CompleteNames(const char* before, i32 tokenCount, TCompletionList& candidates, TCompletionList& descriptions,
                   i32 count, const char* (*name)(i32))
{
    if (tokenCount != 1)
        return;
    char text[256];
    for (i32 i = 0; i < count; ++i)
    {
        if (const char* found = name(i))
        {
            FormatStringN(text, sizeof text, "%s%s ", before, found);
            AddCompletion(candidates, text);
            AddCompletion(descriptions, "");
        }
    }
}

const char* GroupName(i32 index)
{
    TSoundGroup* group = nullptr;
    g_pSoundManager->GetSoundGroup(group, index);
    return group ? group->GetNameText() : nullptr;
}

const char* RecordClipName(i32 index)
{
    TSound* sound = nullptr;
    g_pSoundManager->GetSound(sound, index);
    return sound && sound->pSoundData ? sound->pSoundData->GetNameText() : nullptr;
}
} // namespace

class TCommandsound_info : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        Commands().Print("  doppler|200^<%f", g_sound_dopplerscale.GetValue().ToFloat());
        Commands().Print("  distance|200^<%f", g_sound_distancescale.GetValue().ToFloat());
    }
};

class TCommandsound_list : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !g_pSoundManager)
            return;
        TSoundManager& sounds = *g_pSoundManager;
        Commands().Print("Libraries");
        Commands().Print("Sound data");
        for (i32 i = 0; i < sounds.GetSoundDataCount(); ++i)
        {
            TSoundData* data = nullptr;
            sounds.GetSoundData(data, i);
            Commands().Print("   %s", data->GetNameText());
        }
        Commands().Print("Sounds");
        for (i32 i = 0; i < sounds.GetSoundCount(); ++i)
        {
            TSound* sound = nullptr;
            sounds.GetSound(sound, i);
            Commands().Print("   %s", SoundName(sound));
        }
        Commands().Print("Groups");
        for (i32 i = 0; i < sounds.GetSoundGroupCount(); ++i)
            Commands().Print("   %s", GroupName(i));
    }
};

class TCommandsound_volume : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2) || !g_pSoundManager)
            return;
        const TName name = CommandArgument(instruction, 0);
        TSoundGroup* group = nullptr;
        g_pSoundManager->FindSoundGroup(group, name);
        if (!group)
        {
            Commands().PrintError("'%s': undeclared group", name.GetText());
            return;
        }
        group->SetVolumeNow(std::strtof(CommandArgumentText(instruction, 1), nullptr));
    }

    void Complete(const char* before, i32 tokenCount, const char*, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (g_pSoundManager)
            CompleteNames(before, tokenCount, candidates, descriptions, g_pSoundManager->GetSoundGroupCount(),
                          GroupName);
    }
};

class TCommandsound_play : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1) || !g_pSoundManager)
            return;
        const TName name = CommandArgument(instruction, 0);
        for (i32 i = 0; i < g_pSoundManager->GetSoundCount(); ++i)
        {
            TSound* sound = nullptr;
            g_pSoundManager->GetSound(sound, i);
            if (sound && sound->pSoundData && sound->pSoundData->m_Name == name)
            {
                sound->Play(-1, nullptr);
                return;
            }
        }
        Commands().PrintError("'%s': undeclared sound", name.GetText());
    }

    void Complete(const char* before, i32 tokenCount, const char*, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        if (g_pSoundManager)
            CompleteNames(before, tokenCount, candidates, descriptions, g_pSoundManager->GetSoundCount(),
                          RecordClipName);
    }
};

class TCommandsound_device_list : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        IXAudio2* engine = g_XAudio2.pEngine;
        if (prepare != COMMAND_RUN || !engine)
            return;
        UINT32 count = 0;
        if (FAILED(engine->GetDeviceCount(&count)))
            return;
        for (u32 i = 0; i < count; ++i)
        {
            XAUDIO2_DEVICE_DETAILS details;
            if (FAILED(engine->GetDeviceDetails(i, &details)))
                return;
            Commands().Print("[%d] %s", i, TDeviceName(details).aText);
        }
    }
};

namespace
{
TCommandsound_info s_Commandsound_info;
TCommandsound_list s_Commandsound_list;
TCommandsound_volume s_Commandsound_volume;
TCommandsound_play s_Commandsound_play;
TCommandsound_device_list s_Commandsound_device_list;

const u32 s_nRegistered = [] {
    TCommandManager& manager = Commands();
    manager.RegisterCommand("sound_info", "sound info", "Display sound info.", &s_Commandsound_info, 0);
    manager.RegisterCommand("sound_list", "sound list", "List sounds.", &s_Commandsound_list, 0);
    manager.RegisterCommand("sound_volume", "sound group volume", "Set sound group volume.", &s_Commandsound_volume,
                            0);
    manager.RegisterCommand("sound_play", "play sound", "Play selected sound.", &s_Commandsound_play, 0);
    manager.RegisterCommand("sound_device_list", "Lists available sound devices.", nullptr,
                            &s_Commandsound_device_list, 0);
    return 0u;
}();
} // namespace
