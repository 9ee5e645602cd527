// The COM entry points: no runtime behind them, only the classes of this folder.
#include "platform/xaudio2/audioengine.h"
#include "platform/xaudio2/objbase.h"
#include "platform/xaudio2/reverbeffect.h"
#include "platform/xaudio2/xaudio2fx.h"

HRESULT CoInitialize(void*)
{
    return S_OK;
}

void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD, REFIID interfaceId, void** object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IUnknown* created = nullptr;
    if (classId == CLSID_XAudio2 || classId == CLSID_XAudio2_Debug)
        created = new TAudioEngine();
    else if (classId == CLSID_AudioReverb)
        created = new TReverbEffect();
    else
        return REGDB_E_CLASSNOTREG;
    const HRESULT result = created->QueryInterface(interfaceId, object);
    created->Release();
    return result;
}
