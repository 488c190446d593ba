#include "game/scene/KpPicture.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/resources/ImageLib.h"

Lumo::Image* KpLoadPicture(const std::string& path)
{
    ImageLib::Image* file = ImageLib::GetImage(path, true);
    if (!file)
        return nullptr;
    Lumo::MemoryImage* image;
    if (gLumoApp && gLumoApp->mDDInterface)
        image = new Lumo::DDImage(gLumoApp->mDDInterface);
    else
        image = new Lumo::MemoryImage();
    image->mFileName = path;
    image->SetPixels(file->GetBits(), file->GetWidth(), file->GetHeight(), true);
    delete file;
    return image;
}
