// The console command "intro_load": the game's data load on the intro thread while the intro
// plays on the main thread; the main thread then runs the first manager update while the
// thread keeps the intro moving, and the intro plays to its end.
#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestream.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/render/device.h"
#include "engine/system/commandarguments.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "igame/loading/introloading.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/loadingprogress.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace
{
const char* const kPrefix = "TCommandintro_load::Execute(): ";
const char* const kError = "TCommandintro_load::Execute(): error: ";
// The main thread's frame pace while an image stands still and while it fades.
constexpr u32 kStillMilliseconds = 100;
constexpr u32 kFadeMilliseconds = 10;
constexpr u32 kQueueWaitMilliseconds = 100;

// Why the intro's repository would not load, or null. The intro is optional: what the resource
// manager would refuse (which ends the program) is skipped before it gets there.
const char* IntroFault(TResourceManager& resources, const char* path)
{
    TFileStream file;
    if (file.Open(TName(path, true), 1) != 1)
        return "no intro";
    file.Close();
    DArray<u8> image;
    if (ReadCompressedFile(path, image, nullptr) != COMPRESS_DONE)
        return "damaged intro: it cannot be read or unpacked";
    if (const char* reason = TRepositoryHeader::Check(image.GetData(), static_cast<u32>(image.GetCount())))
        return StringFormat("damaged intro: header error: %s", reason);
    TRepositoryHeader header;
    std::memcpy(&header, image.GetData(), REPOSITORY_HEADER_SIZE);
    for (u32 d = 0; d < header.nDependencyCount; ++d)
    {
        const u32 id = header.aDependency[d];
        if (id != header.nId && id < REPOSITORY_OPTIONAL_ID && !resources.FindRepository(id) &&
            resources.GetAssociations().FindKey(static_cast<i32>(id)) < 0)
            return "damaged intro: it depends on an unassociated repository";
    }
    // A top-level load keeps the resident repositories open: the intro may not take their id.
    const TRepository* open = resources.FindRepository(header.nId);
    if (open && (open->GetFlags() & REPOSITORY_RESIDENT))
        return "damaged intro: its id is an open repository's";
    return nullptr;
}

void Sleep(u32 milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace

class TCommandintro_load : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2))
            return;
        TDeviceManager& device = *g_pDeviceManager;
        TLoadingManager& loading = *g_pLoadingManager;
        TResourceManager& resources = *g_pResourceManager;

        device.SetRunning(0);
        loading.SetState(LOADING_STATE_THREAD);
        // The intro is optional: without it, or with a damaged one, the game's data load as they
        // would without it.
        const char* intro = CommandArgumentText(instruction, 0);
        const char* fault = IntroFault(resources, intro);
        const bool hasIntro = !fault;
        if (hasIntro)
            resources.LoadRepository(intro, REPOSITORY_LOAD_QUIET);
        else
            TLog::Print(g_pSystemLog, LOG_ERROR, kError, "'%s': %s: the data load without it", intro, fault);
        g_IntroLoading.m_Repository = CommandArgumentText(instruction, 1);
        if (!hasIntro || loading.GetIntroCount() == 0)
        {
            device.SetRunning(1);
            resources.LoadRepository(g_IntroLoading.m_Repository.GetText(), 0);
        }
        else
            PlayWhileLoading(device, loading, resources);
        loading.SetState(LOADING_STATE_DONE);
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "done");
    }

private:
    void PlayWhileLoading(TDeviceManager& device, TLoadingManager& loading, TResourceManager& resources)
    {
        g_IntroLoading.m_nState = 0;
        g_IntroLoading.m_nStop = 0;
        g_IntroLoading.Initialize();
        g_IntroLoading.SetName("LoadingProgress");
        g_IntroLoading.Start();
        g_IntroLoading.AddImageFile();

        // Closing the window ends the intro (the load still finishes below), and so does the
        // hand-over when nothing is shown.
        while (!device.GetQuit() && g_IntroLoading.RenderFrame())
        {
            device.PumpMessages();
            Sleep(g_IntroLoading.GetIntro().GetOpacity() == 1.0f ? kStillMilliseconds : kFadeMilliseconds);
            if (g_IntroLoading.m_nState != INTRO_THREAD_LOADED)
                continue;
            RunFirstUpdate(device, loading, resources);
            if (!g_IntroLoading.IsShown())
                break;
        }

        g_IntroLoading.m_nStop = 1;
        g_IntroLoading._Release();
        g_IntroLoading.Stop();
        device.SetRunning(1);
        if (loading.GetState() == LOADING_STATE_THREAD)
        {
            // The intro ended before the data: the loading display shows until the preloading.
            g_LoadingProgress.Start();
            loading.SetState(LOADING_STATE_FIRST_UPDATE);
            g_pCluster->NotifyListeners();
        }
    }

    // The managers take the loaded data while the intro thread keeps drawing.
    void RunFirstUpdate(TDeviceManager& device, TLoadingManager& loading, TResourceManager& resources)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "thread loading done - starting 1st update...");
        loading.SetState(LOADING_STATE_FIRST_UPDATE);
        device.SetRunning(1);
        g_pCluster->NotifyListeners();
        // The update and the render pass use the device the intro thread draws with.
        device.Lock();
        g_ManagerManager.Update(0.0f);
        resources.m_nUpload = 0;
        device.SetRunning(0);
        g_ManagerManager.Render();
        device.SetRunning(1);
        resources.m_nUpload = 1;
        device.Unlock();
        TResourceThreadLoad& loader = resources.GetLoader();
        while (!loader.IsQueueEmpty())
        {
            Sleep(kQueueWaitMilliseconds);
            loader.ProcessQueue();
        }
        g_IntroLoading.m_nState = INTRO_THREAD_HANDED;
        TLog::Print(g_pSystemLog, LOG_INFO, kPrefix, "thread loading done - 1st update done");
    }
};

namespace
{
TCommandintro_load s_Commandintro_load;

const u32 s_nRegistered = [] {
    TCommandManager::Instance().RegisterCommand("intro_load", "load with intro",
                                                "Load the intro's repository, then the game's data while the intro "
                                                "plays.",
                                                &s_Commandintro_load, 0);
    return 0u;
}();
} // namespace
