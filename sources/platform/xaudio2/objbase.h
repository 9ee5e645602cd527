#pragma once
// The COM entry points the sound code calls. There is no COM runtime: CoInitialize and
// CoUninitialize do nothing, and CoCreateInstance knows the classes of this folder (the XAudio2
// engine, its debug engine and the reverb effect).
#include "platform/windef/unknwn.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Makes an object of a known class and asks it for the interface; REGDB_E_CLASSNOTREG for any
// other class, CLASS_E_NOAGGREGATION with an outer object.
HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId, void** object);
