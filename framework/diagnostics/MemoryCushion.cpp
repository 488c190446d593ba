#include "framework/diagnostics/MemoryCushion.h"

#include <windows.h>

#include <atomic>

namespace Lumo
{
namespace MemoryCushion
{

namespace
{
std::atomic<void*> sCushion(nullptr);
}

void Hold()
{
    void* expected = nullptr;
    void* cushion = VirtualAlloc(nullptr, kSize, MEM_RESERVE, PAGE_NOACCESS);
    if (cushion && !sCushion.compare_exchange_strong(expected, cushion))
        VirtualFree(cushion, 0, MEM_RELEASE);
}

bool Release()
{
    void* cushion = sCushion.exchange(nullptr);
    return cushion && VirtualFree(cushion, 0, MEM_RELEASE);
}

} // namespace MemoryCushion
} // namespace Lumo
