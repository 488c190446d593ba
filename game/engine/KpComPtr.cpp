#include "game/engine/KpComPtr.h"

#include <windows.h>
#include <objbase.h>

KpComScope::KpComScope() : mInitialised(SUCCEEDED(CoInitialize(nullptr))) {}

KpComScope::~KpComScope()
{
    if (mInitialised)
        CoUninitialize();
}
