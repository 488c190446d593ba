#include "framework/app/MusicInterface.h"

namespace Lumo
{

MusicInterface::~MusicInterface() {}

bool MusicInterface::LoadMusic(int, const std::string&)
{
    return false;
}

void MusicInterface::PlayMusic(int, int, bool) {}
void MusicInterface::StopMusic(int) {}
void MusicInterface::PauseMusic(int) {}
void MusicInterface::ResumeMusic(int) {}
void MusicInterface::StopAllMusic() {}
void MusicInterface::ReservedHook1(int) {}
void MusicInterface::ReservedHook2() {}
void MusicInterface::ReservedHook3() {}
void MusicInterface::ReservedHook4() {}
void MusicInterface::FadeIn(int, int, double, bool) {}
void MusicInterface::FadeOut(int, bool, double) {}
void MusicInterface::FadeOutAll(bool, double) {}
void MusicInterface::SetSongVolume(int, double) {}
void MusicInterface::ReservedHook5(int, double) {}

bool MusicInterface::IsPlaying(int)
{
    return false;
}

void MusicInterface::SetVolume(double) {}
void MusicInterface::ReservedHook6(int, double) {}
void MusicInterface::Update() {}

} // namespace Lumo
