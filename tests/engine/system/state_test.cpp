#include "command/commandfixture.h"
#include "core/stream/memorystream.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "teststate.h"

#include <cstring>
#include <gtest/gtest.h>

namespace
{
class StateTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        g_pStateManager->FinalizeManager();
        g_pStateManager->SetSaveDirectory("save");
        g_pResourceManager->m_CurrentRepository = TName("airport", true);
        g_pResourceManager->m_PendingRepository = "";
    }
    void TearDown() override
    {
        g_pStateManager->FinalizeManager();
        g_pResourceManager->m_CurrentRepository.Clear();
        g_pResourceManager->m_PendingRepository = "";
        CommandTest::TearDown();
    }

    std::vector<u8> Image(TMemoryStream& stream)
    {
        return std::vector<u8>(stream.GetData(), stream.GetData() + stream.GetSize());
    }

    i32 LoadImage(std::vector<u8> image, TStateLoadCheck* check = nullptr)
    {
        TMemoryStream stream;
        stream.Open(TName("image", true), STREAM_READ);
        stream.Attach(image.data(), static_cast<i32>(image.size()));
        return g_pStateManager->_Load(stream, check);
    }
};
} // namespace

TEST_F(StateTest, TheHeaderNamesTheRepositoryCutTo31Characters)
{
    g_pResourceManager->m_CurrentRepository = TName("a_repository_name_of_forty_characters_xx", true);
    TTestStateObject a(3, {1, 0, 0, 0, 0});
    g_pStateManager->RegisterStateObject(&a);
    TMemoryStream stream;
    ASSERT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
    const std::vector<u8> image = Image(stream);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(image.data() + 8)), 31u);
    // Long names match themselves: no switch is asked for.
    EXPECT_EQ(LoadImage(image), STATE_DONE);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "");
    EXPECT_EQ(a.m_aLoadedPass.size(), 5u);
}

TEST_F(StateTest, LoadRefusesForeignImagesAndWrongMarkers)
{
    TTestStateObject a(9, {2, 0, 0, 0, 0}), b(70, {0, 3, 0, 0, 0});
    g_pStateManager->RegisterStateObject(&a);
    g_pStateManager->RegisterStateObject(&b);
    TMemoryStream stream;
    ASSERT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
    const std::vector<u8> image = Image(stream);

    std::vector<u8> foreign = image;
    foreign[0] = 'X';
    EXPECT_EQ(LoadImage(foreign), STATE_BAD_MAGIC);
    EXPECT_EQ(LoadImage(std::vector<u8>(image.begin(), image.begin() + 20)), STATE_BAD_MAGIC);
    std::vector<u8> older = image;
    older[4] = 102;
    EXPECT_EQ(LoadImage(older), STATE_BAD_VERSION);

    // An object reading less than it wrote meets its own bytes where the marker should be.
    a.m_aLoadSize = {1, 0, 0, 0, 0};
    EXPECT_EQ(LoadImage(image), STATE_BAD_MARKER);
    // One reading something in a pass where it wrote nothing takes the next object's bytes.
    a.m_aLoadSize = {2, 1, 0, 0, 0};
    EXPECT_EQ(LoadImage(image), STATE_BAD_MARKER);
    // A truncated image: the marker cannot be read.
    a.m_aLoadSize.clear();
    EXPECT_EQ(LoadImage(std::vector<u8>(image.begin(), image.end() - 2)), STATE_BAD_MARKER);

    a.m_nFailPass = 0;
    EXPECT_EQ(LoadImage(image), STATE_OBJECT_FAILED);
    EXPECT_EQ(g_ManagerManager.GetTrackStep(), 1000u);
}

TEST_F(StateTest, ASaveNamingARepositoryThatIsNoFileIsRefusedWithoutASwitch)
{
    TTestStateObject a(3, {1, 1, 1, 1, 1});
    g_pStateManager->RegisterStateObject(&a);
    Manager().ExecuteText("state.save one");
    g_pResourceManager->m_CurrentRepository = TName("harbour", true);
    m_Listener.lines.clear();
    Manager().ExecuteText("state.load one");
    ASSERT_FALSE(Texts().empty());
    EXPECT_EQ(Texts().back(), "^Ierror: unable to load 'one': the level it names cannot be found");
    EXPECT_TRUE(Logged("'save/one.save' names the repository 'airport', which is no file"));
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "");
    EXPECT_TRUE(a.m_aLoadedPass.empty());

    // A folder of that name is no level either.
    std::filesystem::create_directory(m_Path + "/airport");
    EXPECT_EQ(g_pStateManager->LoadFromFile("save/one.save"), STATE_NO_REPOSITORY);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "");
}

TEST_F(StateTest, SaveFilesAreCompressedAndAFailedSaveKeepsThePreviousOne)
{
    TTestStateObject a(5, {10, 20, 0, 0, 3});
    g_pStateManager->RegisterStateObject(&a);
    ASSERT_EQ(g_pStateManager->SaveToFile("first"), STATE_DONE);
    const std::string saved = ReadFile("save/first.save");
    ASSERT_GE(saved.size(), 16u);
    EXPECT_EQ(saved.substr(0, 4), "INDA");
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/save/first.save.comp"));

    a.m_nFailPass = 1;
    EXPECT_EQ(g_pStateManager->SaveToFile("first"), STATE_OBJECT_FAILED);
    EXPECT_EQ(ReadFile("save/first.save"), saved);
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/save/first.save.comp"));

    a.m_nFailPass = -1;
    EXPECT_EQ(g_pStateManager->LoadFromFile("save/first.save"), STATE_DONE);
    EXPECT_EQ(a.m_nMismatches, 0);
    EXPECT_EQ(g_pStateManager->LoadFromFile("save/none.save"), STATE_CANNOT_OPEN);
}

TEST_F(StateTest, DamagedFilesAreRefusedBeforeAnyObjectLoads)
{
    TTestStateObject a(5, {64, 0, 0, 0, 0});
    g_pStateManager->RegisterStateObject(&a);
    ASSERT_EQ(g_pStateManager->SaveToFile("slot"), STATE_DONE);
    std::string saved = ReadFile("save/slot.save");
    WriteFile("save/cut.save", saved.substr(0, saved.size() - 5));
    saved[saved.size() / 2 + 8] ^= 0x55;
    WriteFile("save/flipped.save", saved);
    WriteFile("save/foreign.save", "plain text, no image at all");
    a.m_aLoadedPass.clear();
    for (const char* name : {"cut", "flipped", "foreign"})
    {
        m_Listener.lines.clear();
        Manager().ExecuteText((std::string("state.load ") + name).c_str());
        EXPECT_NE(Texts().back().find(std::string("unable to load '") + name + "': "), std::string::npos) << name;
    }
    EXPECT_TRUE(a.m_aLoadedPass.empty());
}

TEST_F(StateTest, CommandsSaveLoadAndFindTheLatest)
{
    TTestStateObject a(5, {4, 0, 0, 0, 0});
    g_pStateManager->RegisterStateObject(&a);
    Manager().ExecuteText("state.loadlast");
    EXPECT_NE(Texts().back().find("unable to load"), std::string::npos);
    // The folder is the player root's: environment values expand.
    Manager().SetEnvironment(TName("statetestfolder", true), TName("saves", true));
    Manager().ExecuteText("set save.directory \"$(statetestfolder)2\"");
    EXPECT_STREQ(g_pStateManager->GetSaveDirectory(), "saves2");
    Manager().ExecuteText("state.save one");
    ASSERT_TRUE(std::filesystem::exists(m_Path + "/saves2/one.save"));
    Manager().ExecuteText("state.loadlast");
    EXPECT_EQ(a.m_aLoadedPass.size(), 5u);

    // Saves stay inside the save folder: folders below it are made, and loaded from.
    for (const char* name : {"campaign/day1", "campaign\\day2", "a/b/c"})
    {
        m_Listener.lines.clear();
        Manager().ExecuteText((std::string("state.save \"") + name + "\"").c_str());
        EXPECT_TRUE(m_Listener.lines.empty()) << name << ": " << Texts().back();
    }
    EXPECT_TRUE(std::filesystem::exists(m_Path + "/saves2/campaign/day1.save"));
    EXPECT_TRUE(std::filesystem::exists(m_Path + "/saves2/campaign/day2.save"));
    EXPECT_TRUE(std::filesystem::exists(m_Path + "/saves2/a/b/c.save"));
    a.m_aLoadedPass.clear();
    Manager().ExecuteText("state.load \"campaign/day1\"");
    EXPECT_EQ(a.m_aLoadedPass.size(), 5u);
    // No hidden ".save", no way out of the folder, no empty part.
    for (const char* name : {"", "../escaped", "campaign/../../escaped", "..", "/tmp/escaped", "\\escaped",
                             "campaign//day3", "campaign/", "campaign\\"})
        for (const char* command : {"state.save", "state.load"})
        {
            m_Listener.lines.clear();
            Manager().ExecuteText((std::string(command) + " \"" + name + "\"").c_str());
            EXPECT_EQ(Texts(), std::vector<std::string>{"^Ierror: '" + std::string(name) +
                                                        "' is no save name (folders below the save folder only)"})
                << command << " " << name;
        }
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/saves2/.save"));
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/escaped.save"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/escaped.save"));
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/saves2/campaign/day3.save"));
}

namespace
{
// Three objects of different sizes, each writing in some passes and nothing in others.
class StateRollbackTest : public StateTest
{
protected:
    using TRecords = std::vector<std::vector<std::vector<u8>>>;

    void SetUp() override
    {
        StateTest::SetUp();
        for (TTestRecordState& object : m_aObject)
            g_pStateManager->RegisterStateObject(&object);
    }

    TRecords Records() const
    {
        TRecords records;
        for (const TTestRecordState& object : m_aObject)
            records.push_back(object.m_aRecord);
        return records;
    }

    void Fill(u8 seed)
    {
        for (TTestRecordState& object : m_aObject)
            object.Fill(seed);
    }

    // The image of the objects as m_Saved, then the objects changed into m_Running: the state a
    // refused load must keep.
    std::vector<u8> SaveThenChange()
    {
        Fill(1);
        m_Saved = Records();
        TMemoryStream stream;
        EXPECT_EQ(g_pStateManager->_Save(stream), STATE_DONE);
        Fill(2);
        m_Running = Records();
        return Image(stream);
    }

    // Where each chunk's marker lies, in image order.
    std::vector<size_t> MarkerOffsets() const
    {
        std::vector<size_t> offsets;
        size_t offset = sizeof(TStateHeader);
        for (u32 pass = 0; pass < STATE_PASS_COUNT; ++pass)
            for (const TTestRecordState& object : m_aObject)
                if (!object.m_aRecord[pass].empty())
                {
                    offset += object.m_aRecord[pass].size();
                    offsets.push_back(offset);
                    offset += 4;
                }
        return offsets;
    }

    TTestRecordState m_aObject[3] = {TTestRecordState({4, 0, 3, 0, 2}), TTestRecordState({0, 5, 2, 0, 0}),
                                     TTestRecordState({1, 1, 1, 1, 1})};
    TRecords m_Saved;
    TRecords m_Running;
};
} // namespace

TEST_F(StateRollbackTest, AnImageRefusedPartWayLeavesEveryObjectAsItWas)
{
    const std::vector<u8> image = SaveThenChange();
    const std::vector<size_t> markers = MarkerOffsets();
    ASSERT_EQ(markers.size(), 10u);
    u32 lastMarker;
    std::memcpy(&lastMarker, image.data() + markers.back(), 4);
    ASSERT_EQ(lastMarker, markers.back());

    // Every chunk after the first: the objects before it have loaded theirs by then.
    for (size_t chunk = 1; chunk < markers.size(); ++chunk)
    {
        std::vector<u8> damaged = image;
        damaged[markers[chunk]] ^= 0x01;
        EXPECT_EQ(LoadImage(damaged), STATE_BAD_MARKER) << chunk;
        EXPECT_EQ(Records(), m_Running) << chunk;
    }
    // Cut inside the last chunk: its object reads short and its marker is missing.
    EXPECT_EQ(LoadImage(std::vector<u8>(image.begin(), image.begin() + markers.back())), STATE_BAD_MARKER);
    EXPECT_EQ(Records(), m_Running);

    // An object refusing its data in pass 3, after every object has loaded passes 0 to 2.
    m_aObject[2].m_nFailLoadPass = 3;
    EXPECT_EQ(LoadImage(image), STATE_OBJECT_FAILED);
    EXPECT_EQ(Records(), m_Running);

    EXPECT_EQ(LoadImage(image), STATE_DONE);
    EXPECT_EQ(Records(), m_Saved);
}

namespace
{
// A caller's check of the rest of an image: notes where it found the stream, answers as set.
class TNotingCheck : public TStateLoadCheck
{
public:
    bool IsWhole(TStream& stream, bool passesRead) override
    {
        m_aCall.emplace_back(stream.GetPosition(), passesRead);
        return m_bWhole;
    }
    bool m_bWhole = true;
    std::vector<std::pair<i32, bool>> m_aCall;
};
using TChecks = std::vector<std::pair<i32, bool>>;
} // namespace

TEST_F(StateRollbackTest, TheCallersCheckAfterThePassesDecidesWhetherTheLoadIsKept)
{
    const std::vector<u8> image = SaveThenChange();
    const i32 end = static_cast<i32>(image.size());
    TNotingCheck check;
    check.m_bWhole = false;
    EXPECT_EQ(LoadImage(image, &check), STATE_NOT_WHOLE);
    EXPECT_EQ(Records(), m_Running);
    EXPECT_EQ(check.m_aCall, (TChecks{{end, true}}));

    // A load refused part-way is undone without asking.
    std::vector<u8> damaged = image;
    damaged[MarkerOffsets()[3]] ^= 0x01;
    EXPECT_EQ(LoadImage(damaged, &check), STATE_BAD_MARKER);
    EXPECT_EQ(check.m_aCall.size(), 1u);

    check.m_bWhole = true;
    EXPECT_EQ(LoadImage(image, &check), STATE_DONE);
    EXPECT_EQ(Records(), m_Saved);
    EXPECT_EQ(check.m_aCall, (TChecks{{end, true}, {end, true}}));
}

TEST_F(StateRollbackTest, ALoadWaitingForItsRepositoryIsCheckedBeforeTheSwitch)
{
    const std::vector<u8> image = SaveThenChange();
    ASSERT_EQ(LoadImage(image), STATE_DONE);
    Fill(2);
    g_pResourceManager->m_CurrentRepository = TName("harbour", true);
    WriteFile("airport", "a level");
    TNotingCheck check;
    check.m_bWhole = false;
    EXPECT_EQ(LoadImage(image, &check), STATE_NOT_WHOLE);
    EXPECT_EQ(check.m_aCall, (TChecks{{static_cast<i32>(sizeof(TStateHeader)), false}}));
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "");
    EXPECT_STREQ(g_pStateManager->GetPendingState(), "");
    EXPECT_EQ(Records(), m_Running);

    check.m_bWhole = true;
    EXPECT_EQ(LoadImage(image, &check), STATE_DONE);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "airport");
    EXPECT_STREQ(g_pStateManager->GetPendingState(), "image");
    EXPECT_EQ(Records(), m_Running);

    // Waiting for a repository asked for already: a refused image leaves that request alone.
    g_pResourceManager->m_CurrentRepository = TName("airport", true);
    g_pResourceManager->m_PendingRepository = "harbour";
    check.m_bWhole = false;
    EXPECT_EQ(LoadImage(image, &check), STATE_NOT_WHOLE);
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), "harbour");
    EXPECT_EQ(check.m_aCall.size(), 3u);
}
