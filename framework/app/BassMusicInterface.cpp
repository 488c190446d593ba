#include "framework/app/BassMusicInterface.h"

namespace Lumo
{

BassMusicInterface::BassMusicInterface(HWND) {}

BassMusicInterface::~BassMusicInterface() {}

bool BassMusicInterface::LoadMusic(int, const std::string&)
{
    return true;
}

} // namespace Lumo
