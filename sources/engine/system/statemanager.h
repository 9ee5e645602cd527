#pragma once
// TStateManager ("State"): snapshots of the running simulation in "*.save" files. The state
// objects that managers register write five passes into one image, each object's bytes
// followed by a marker holding the marker's own offset; loading replays the passes and checks
// every marker. Files are the image compressed.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/stateloadcheck.h"
#include "engine/system/statemethods.h"

constexpr u32 STATE_MAGIC = 0x54535354; // the bytes "TSST"
constexpr u32 STATE_VERSION = 103;
constexpr u32 STATE_PASS_COUNT = 5;
constexpr u32 STATE_OBJECT_CAPACITY = 32;
constexpr u32 STATE_NAME_SIZE = 32;
constexpr u32 STATE_DIRECTORY_SIZE = 256;

// Crash-track activities of saves and loads; the step is 1000 x (pass + 1) + object index.
constexpr u32 STATE_TRACK_SAVE = 8;
constexpr u32 STATE_TRACK_LOAD = 9;

// Results of _Save, _Load, SaveToFile, LoadFromFile and LoadLatest.
constexpr i32 STATE_DONE = 0;
constexpr i32 STATE_BAD_MAGIC = 1;       // _Load; also a file that cannot be opened or read
constexpr i32 STATE_BAD_VERSION = 2;     // _Load
constexpr i32 STATE_OBJECT_FAILED = 3;   // an object's SaveState or LoadState failed
constexpr i32 STATE_BAD_MARKER = 4;      // _Load: an object read more or less than it wrote
constexpr i32 STATE_COMPRESS_FAILED = 5; // SaveToFile: the compressed file could not be written
constexpr i32 STATE_WRITE_FAILED = 6;    // _Save: the header or a marker could not be written
constexpr i32 STATE_NO_REPOSITORY = 7;    // _Load: the repository the image names is no file here
constexpr i32 STATE_NOT_WHOLE = 8;        // _Load: the caller's check refused the rest of the image
constexpr i32 STATE_CANNOT_OPEN = 1;

struct TStateHeader
{
    u32 nMagic;
    u32 nVersion;
    // The repository current when saving, NUL-padded, cut to 31 characters.
    char aName[STATE_NAME_SIZE];
};

static_assert(sizeof(TStateHeader) == 40);

class TStateManager : public TManager, public TClusterMethods
{
public:
    TStateManager();

    // Objects are saved and loaded in registration order.
    void RegisterStateObject(TStateMethods* object);
    u32 GetStateObjectCount() const { return m_aObject.GetCount(); }

    i32 _Save(TStream& stream);
    // An image refused part-way, or refused by the check after the passes, leaves every object
    // as it was before the load. A load that waits for another repository is kept only when
    // the check finds the image whole. With a check, a load whose running state cannot be kept
    // first is refused; without one it goes ahead (logged), since it cannot be undone.
    i32 _Load(TStream& stream, TStateLoadCheck* check = nullptr);
    // Saves "<save directory>/<name>.save". The previous file of that name is replaced only
    // when the whole image was written and compressed.
    i32 SaveToFile(const char* name);
    i32 LoadFromFile(const char* path);
    // Loads the newest "*.save" of the save directory.
    i32 LoadLatest();

    void FinalizeManager() override;

    const char* GetSaveDirectory() const { return m_SaveDirectory.GetText(); }
    void SetSaveDirectory(const char* directory) { m_SaveDirectory = directory; }
    const char* GetPendingState() const { return m_PendingState.GetText(); }

private:
    // The five passes over the objects, each chunk followed by its marker.
    i32 SavePasses(TStream& stream);
    i32 LoadPasses(TStream& stream);

    SString<STATE_DIRECTORY_SIZE> m_SaveDirectory;
    // A load waiting for the resource manager's change of repository.
    SString<STATE_DIRECTORY_SIZE> m_PendingState;
    SArray<TStateMethods*, STATE_OBJECT_CAPACITY, 0> m_aObject;
};

extern TStateManager* g_pStateManager;
