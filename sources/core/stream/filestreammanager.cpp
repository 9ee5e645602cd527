#include "core/stream/filestreammanager.h"

TFileStreamManager* g_pFileStreamManager = nullptr;
