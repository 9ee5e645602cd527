#pragma once
// TSoundManager ("Sound"): the sound service as the rest of the system sees it, reached through
// g_pSoundManager once its one implementation (TXAudio2SoundManager) has registered. The
// operations are in the interface's slot order; "base" ones have a body here.
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"

class TNode;
class TSound;
class TSoundData;
class TSoundDataLibrary;
class TSoundGeometry;
class TSoundGroup;
class TSoundListenerMethods;
class TSoundMethods;
class TSoundReverb;
struct TSoundCurvePoint;

constexpr u32 SOUND_METHOD_CAPACITY = 16;

class TSoundManager : public TManager
{
public:
    // Out-parameters get null for an index outside the array.
    virtual i32 GetSoundGroupCount() = 0;
    virtual void GetSoundGroup(TSoundGroup*& group, i32 index) = 0;
    // Base: the first group of the name (a path such as "/master/game"), or null.
    virtual void FindSoundGroup(TSoundGroup*& group, const TName& name);
    virtual i32 GetSoundDataLibraryCount() = 0;
    virtual TSoundDataLibrary* GetSoundDataLibrary(i32 index) = 0;
    virtual TSoundDataLibrary* CreateSoundDataLibrary() = 0;
    virtual i32 GetSoundDataCount() = 0;
    virtual void GetSoundData(TSoundData*& data, i32 index) = 0;
    // Base: the first clip of the name, or null.
    virtual void FindSoundData(TSoundData*& data, const TName& name);
    virtual i32 GetSoundCount() = 0;
    virtual void GetSound(TSound*& sound, i32 index) = 0;
    virtual TSound* CreateSound() = 0;
    virtual i32 GetSoundReverbCount() = 0;
    virtual TSoundReverb* GetSoundReverb(i32 index) = 0;
    virtual TSoundReverb* CreateSoundReverb() = 0;
    // Base: the first reverb whose node has the name (a reverb without node has the empty
    // name), or null.
    virtual TSoundReverb* FindSoundReverb(const TName& name);
    // The preset index of a name: the default for the empty name, -1 when absent.
    virtual i32 FindReverbPreset(const TName& name, i32 defaultIndex) = 0;
    virtual void ApplyReverbPreset(i32 index) = 0;
    // Selects the reverb preset of the name ("City").
    virtual void SetReverb(const TName& name) = 0;
    virtual void SetAmbientReverbIndex(i32 index) = 0;
    virtual void SetAmbientReverb(const TName& name) = 0;
    virtual i32 GetSoundGeometryCount() = 0;
    virtual TSoundGeometry* GetSoundGeometry(i32 index) = 0;
    virtual TSoundGeometry* CreateSoundGeometry() = 0;
    // An instance of the clip at the node (null: not positioned), played when play is set; the
    // instance, or null, goes to sound.
    virtual void PlaySound(TSound*& sound, TSoundData* data, TNode* node, i32 startArgument, u32 play) = 0;
    // The instance with parameters A and B set (ids below 0 skipped), then played unless
    // either id is SOUND_PARAMETER_NOT_STARTED.
    virtual void PlaySoundEx(TSound*& sound, TSoundData* data, TNode* node, i32 idA, f32 valueA, i32 idB,
                             f32 valueB) = 0;
    // Base: one listener for every sound manager; null: the implementation's own.
    virtual void SetListener(TSoundListenerMethods* listener);
    virtual TSoundListenerMethods* GetListener();
    // An update now: finished sounds are released at once.
    virtual void UpdateNow() = 0;
    virtual void PauseAll(u32 pause) = 0;
    // Sound is running.
    virtual u32 IsActive() = 0;

    // Appends a listener unless it is there: 1 when it was there or the list is full, else 0.
    u32 AddMethod(TSoundMethods* listener);

protected:
    SArray<TSoundMethods*, SOUND_METHOD_CAPACITY, 0> m_aMethod;
};

extern TSoundManager* g_pSoundManager;
