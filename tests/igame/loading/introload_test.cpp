// "intro_load": the game's data load on the intro thread while the intro plays, handed to the main
// thread, and the plain load without an intro.
#include "loadingfixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/system/command/commandmanager.h"
#include "igame/loading/introloading.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/uiintro.h"
#include "fontraster.h"
#include "introrepository.h"
#include "repositorywriter.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{
// An intro of one plain image.
void WriteIntro(const std::string& path, f32 seconds, f32 fade)
{
    static TUIIntro s_Record;
    g_pCluster->Clear();
    TRepositoryWriter writer(INTRO_REPOSITORY_ID, 0);
    s_Record = {};
    s_Record.nImageCount = 1;
    s_Record.nDesignWidth = 8;
    s_Record.fFadeIn = s_Record.fFadeOut = fade;
    s_Record.aDisplayTime[0] = seconds;
    s_Record.aTexture[0] = AddTextureRecord(writer, "intro.test", 8, 8, std::vector<u32>(64, 0xFF208040));
    g_pLoadingManager->Intros().Add(&s_Record);
    TClusterManager* managers[] = {g_pDxTextureManager, g_pLoadingManager};
    ASSERT_TRUE(writer.Write(path.c_str(), managers, 2, false));
    g_pCluster->Clear();
}

void IntroLoad(const std::string& intro, const std::string& game)
{
    TCommandManager::Instance().ExecuteText(("intro.load \"" + intro + "\" \"" + game + "\"").c_str());
}
} // namespace

TEST_F(LoadingTest, ALoadSlowerThanTheFadeInIsHandedToTheMainThreadWhileTheIntroPlays)
{
    WriteIntro("intro.data", 1.2f, 0.1f);
    g_LoadWatch.armed = true;
    g_LoadWatch.slowName = "canvas.data";
    g_LoadWatch.delay = 400;
    IntroLoad("intro.data", DataFile("canvas.data"));

    // The intro's repository quietly, then the game's data on the intro thread, the main loop
    // not running.
    ASSERT_EQ(2u, g_LoadWatch.loads.size());
    const auto& load = g_LoadWatch.loads[1];
    EXPECT_TRUE(load.state == LOADING_STATE_THREAD && load.running == 0u && !load.mainThread);
    // The listeners hear of the load once, on the main thread, in the first update.
    ASSERT_EQ(1u, g_LoadWatch.notices.size());
    const auto& notice = g_LoadWatch.notices[0];
    EXPECT_TRUE(notice.state == LOADING_STATE_FIRST_UPDATE && notice.running == 1u && notice.mainThread);

    const i32 start = m_Log.Find("TCommandintro_load::Execute(): thread loading done - starting 1st update...");
    const i32 done = m_Log.Find("TCommandintro_load::Execute(): thread loading done - 1st update done");
    const i32 end = m_Log.Find("TCommandintro_load::Execute(): done");
    ASSERT_GE(start, 0);
    EXPECT_LT(start, done);
    EXPECT_LT(done, end);
    EXPECT_EQ(1u, m_Log.Count("TIntroLoading::Initialize(): initialize"));
    EXPECT_EQ(LOADING_STATE_DONE, g_pLoadingManager->GetState());
    EXPECT_EQ(INTRO_THREAD_HANDED, g_IntroLoading.m_nState.load());
    EXPECT_TRUE(!g_IntroLoading.IsRunning() && !g_IntroLoading.GetIntro().IsActive() && g_pDeviceManager->IsRunning());
}

TEST_F(LoadingTest, WithoutAnIntroOrWithADamagedOneTheDataLoadPlainlyAndAWrongCallIsRefused)
{
    g_LoadWatch.armed = true;
    // The canvas's repository holds no intro record.
    IntroLoad(DataFile("canvas.data"), DataFile("canvas.data"));
    ASSERT_EQ(2u, g_LoadWatch.loads.size());
    EXPECT_TRUE(g_LoadWatch.loads[1].mainThread && g_LoadWatch.loads[1].running == 1u);
    ASSERT_EQ(1u, g_LoadWatch.notices.size());
    EXPECT_EQ(0u, m_Log.Count("TIntroLoading::Initialize()"));
    EXPECT_GE(m_Log.Find("TCommandintro_load::Execute(): done"), 0);
    EXPECT_EQ(LOADING_STATE_DONE, g_pLoadingManager->GetState());

    // A missing intro: a line, and the data load all the same.
    g_LoadWatch.loads.clear();
    IntroLoad("missing.data", DataFile("canvas.data"));
    EXPECT_EQ(1u, m_Log.Count("'missing.data': no intro: the data load without it"));
    ASSERT_EQ(1u, g_LoadWatch.loads.size());
    EXPECT_EQ(LOADING_STATE_DONE, g_pLoadingManager->GetState());

    // A damaged intro is skipped as a missing one is, whatever is wrong with it.
    WriteIntro("intro.data", 1.0f, 0.1f);
    std::ifstream file("intro.data", std::ios::binary);
    const std::string image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto word = [](std::string bytes, size_t at, u32 value) {
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    const std::string oneDependency = word(word(image, 36, 1), 40, 5);
    const struct
    {
        const char* pWhat;
        std::string bytes;
        const char* pLine;
    } damaged[] = {
        {"a folder", "", "damaged intro: it cannot be read or unpacked"},
        {"empty", "", "damaged intro: header error: truncated header"},
        {"cut in its header", image.substr(0, 71), "damaged intro: header error: truncated header"},
        {"signature", "V" + image.substr(1), "damaged intro: header error: incorrect signature"},
        {"version", word(image, 8, 999), "damaged intro: header error: incorrect version"},
        {"dependencies", word(image, 36, 9), "damaged intro: header error: more than 8 dependencies"},
        {"unassociated dependency", oneDependency, "damaged intro: it depends on an unassociated repository"},
        {"cluster offset", word(image, 28, static_cast<u32>(image.size())),
         "damaged intro: header error: cluster image offset"},
        {"compressed data", std::string("INDA\xff\xff\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00", 16) + "x\x9c",
         "damaged intro: it cannot be read or unpacked"},
    };
    for (const auto& intro : damaged)
    {
        std::filesystem::remove_all("damaged.data");
        if (std::string(intro.pWhat) == "a folder")
            std::filesystem::create_directory("damaged.data");
        else
            std::ofstream("damaged.data", std::ios::binary) << intro.bytes;
        m_Log.lines.clear();
        g_LoadWatch.loads.clear();
        IntroLoad("damaged.data", DataFile("canvas.data"));
        EXPECT_EQ(1u, m_Log.Count(std::string("'damaged.data': ") + intro.pLine)) << intro.pWhat;
        ASSERT_EQ(1u, g_LoadWatch.loads.size()) << intro.pWhat;
        EXPECT_EQ(LOADING_STATE_DONE, g_pLoadingManager->GetState());
    }

    m_Log.lines.clear();
    TCommandManager::Instance().ExecuteText("intro.load \"data/intro.data\"");
    EXPECT_EQ(1u, m_Log.Count("command does not take 1 parameter (2 expected)"));
    EXPECT_EQ(0u, m_Log.Count("TCommandintro_load::Execute(): done"));
}
