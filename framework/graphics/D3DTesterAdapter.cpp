#include "framework/graphics/D3DTesterAdapter.h"

#include <d3d8.h>

namespace Lumo
{

bool QueryD3D8AdapterIdentity(GUID* deviceGUID, std::string* driver, std::string* description)
{
    HMODULE library = LoadLibraryA("d3d8.dll");
    if (!library)
        return false;
    typedef IDirect3D8*(WINAPI * CreateFunc)(UINT);
    CreateFunc create = (CreateFunc)(void*)GetProcAddress(library, "Direct3DCreate8");
    bool ok = false;
    if (create)
    {
        IDirect3D8* d3d = create(220);
        if (d3d)
        {
            D3DADAPTER_IDENTIFIER8 identifier;
            ZeroMemory(&identifier, sizeof(identifier));
            if (SUCCEEDED(d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, D3DENUM_NO_WHQL_LEVEL,
                                                    &identifier)))
            {
                identifier.Driver[sizeof(identifier.Driver) - 1] = 0;
                identifier.Description[sizeof(identifier.Description) - 1] = 0;
                *deviceGUID = identifier.DeviceIdentifier;
                *driver = identifier.Driver;
                *description = identifier.Description;
                ok = true;
            }
            d3d->Release();
        }
    }
    FreeLibrary(library);
    return ok;
}

} // namespace Lumo
