// The music interface the application makes by default: it accepts every song and plays
// nothing, because the game plays its music through its own sound system.
#pragma once

#include "framework/app/MusicInterface.h"

#include <windows.h>

namespace Lumo
{

class BassMusicInterface : public MusicInterface
{
public:
    // The window is not used.
    explicit BassMusicInterface(HWND window);
    ~BassMusicInterface() override;

    // Accepts the song without loading anything.
    bool LoadMusic(int songId, const std::string& fileName) override;

private:
    MusicSongMap mSongs; // stays empty
};

} // namespace Lumo
