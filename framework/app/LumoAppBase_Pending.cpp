// Temporary bodies: every operation exists so the library links while the
// real ones land file by file.
// clang-format off
#include "framework/app/LumoAppBase.h"

namespace Lumo
{

void LumoAppBase::OnKeyUp(int keyCode) { }
void LumoAppBase::MakeWindow() { }
void LumoAppBase::ApplyCursor() { }
void LumoAppBase::CommitAllImages() { }
void LumoAppBase::PurgeAllImages() { }
void LumoAppBase::ReleaseAllImagesLocked() { }
MusicInterface* LumoAppBase::MakeMusicInterface(HWND window) { return nullptr; }
void LumoAppBase::AfterInit() { }
void LumoAppBase::ShutdownHook() { }
void LumoAppBase::BeforeExit() { }
void LumoAppBase::SaveSettings() { }
void LumoAppBase::LoadSettings() { }
Dialog* LumoAppBase::MakeDialog(int id, bool isModal, const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode) { return nullptr; }
void LumoAppBase::BeforeMakeWindow() { }
void LumoAppBase::BeginPopup() { }
void LumoAppBase::EndPopup() { }
int LumoAppBase::MsgBoxW(const std::wstring& text, const std::wstring& title, int flags) { return 0; }
int LumoAppBase::MsgBox(const std::string& text, const std::string& title, int flags) { return 0; }
void LumoAppBase::PopupW(const std::wstring& text) { }
void LumoAppBase::Popup(const std::string& text) { }
void LumoAppBase::AppendScreenSaverError(const std::string& text) { }
void LumoAppBase::UrlOpenFailed(const std::string& url) { }
void LumoAppBase::UrlOpenDone(const std::string& url) { }
bool LumoAppBase::OpenURL(const std::string& url, bool shutdownWhenDone) { return false; }
std::string LumoAppBase::GetProductVersion(const std::string& path) { return std::string(); }
void LumoAppBase::HideApp() { }
std::string LumoAppBase::GetCrashInfoText() { return std::string(); }
void LumoAppBase::SpareHook1(std::map<std::string, std::string>& fields) { }
void LumoAppBase::Shutdown() { }
void LumoAppBase::ParseCommandLine() { }
void LumoAppBase::ReceiveCommandLine(const std::string& arguments) { }
void LumoAppBase::HandleCommandLineOption(const std::string& name, const std::string& value) { }
void LumoAppBase::BringToFront(WPARAM flag, LPARAM unused) { }
void LumoAppBase::OnAlreadyRunning() { }
void LumoAppBase::InitApp() { }
void LumoAppBase::BeforeDisplayChange() { }
void LumoAppBase::AfterDisplayChange() { }
bool LumoAppBase::KeepWorkingDirectory(const std::string& folder) { return false; }
void LumoAppBase::SpareHook2(int a, int b) { }
void LumoAppBase::SpareHook3(int a) { }
double LumoAppBase::GetSoundVolume() { return 0.0; }
double LumoAppBase::GetMusicVolume() { return 0.0; }
double LumoAppBase::GetSfxVolume() { return 0.0; }
bool LumoAppBase::IsMuted() { return false; }
void LumoAppBase::SetSoundVolume(double volume) { }
void LumoAppBase::SetMusicVolume(double volume) { }
void LumoAppBase::SetSfxVolume(double volume) { }
void LumoAppBase::Mute(bool automatic) { }
void LumoAppBase::Unmute(bool automatic) { }
DDImage* LumoAppBase::GetImage(const std::string& fileName, bool commit) { return nullptr; }
ImageHandle LumoAppBase::GetSharedImage(const std::string& fileName, const std::string& variant, bool* isNew) { return ImageHandle(); }
void LumoAppBase::SwitchScreenMode(bool windowed, bool is3D, bool force) { }
void LumoAppBase::SetWindowedMode(bool windowed) { }
void LumoAppBase::ReapplyScreenMode() { }
void LumoAppBase::Set3DAcceleration(bool is3D) { }
Dialog* LumoAppBase::DoDialog(int id, bool isModal, const std::wstring& header, const std::wstring& lines, const std::wstring& footer, int buttonMode) { return nullptr; }
Dialog* LumoAppBase::GetDialog(int id) { return nullptr; }
void LumoAppBase::AddDialogPtr(Dialog* dialog) { }
void LumoAppBase::AddDialog(int id, Dialog* dialog) { }
bool LumoAppBase::KillDialogPtr(Dialog* dialog) { return false; }
bool LumoAppBase::KillDialog(int id) { return false; }
bool LumoAppBase::RemoveDialog(int id, bool removeWidget, bool deleteDialog) { return false; }
int LumoAppBase::GetDialogCount() { return 0; }
void LumoAppBase::DialogAdded() { }
void LumoAppBase::DialogRemoved() { }
void LumoAppBase::GotFocus() { }
void LumoAppBase::LostFocus() { }
bool LumoAppBase::IsSpecialKey(int key) { return false; }
bool LumoAppBase::HandleDebugKey(int key) { return false; }
bool LumoAppBase::HandleHotKey(int key, bool ctrlDown, bool altDown) { return false; }
void LumoAppBase::OnCloseRequest() { }
void LumoAppBase::After3DTest() { }
std::string LumoAppBase::GetExtraText() { return std::string(); }
bool LumoAppBase::SpareQuery(int a, int b) { return false; }
bool LumoAppBase::DrawDirtyStuff() { return false; }
void LumoAppBase::Redraw(Rect* rect) { }
void LumoAppBase::BeforeInit() { }
bool LumoAppBase::IsEnabled() { return false; }
void LumoAppBase::DrawOverlay(Graphics* g) { }
void LumoAppBase::OnDialogButtonPressed(int dialogId, int buttonId) { }
void LumoAppBase::OnDialogButtonClicked(int dialogId, int buttonId) { }
bool LumoAppBase::Is3DAccelerated() { return false; }
bool LumoAppBase::Is3DSupported() { return false; }
bool LumoAppBase::Is3DRecommended() { return false; }
void LumoAppBase::ForgetImageOnDisplay(MemoryImage* image) { }
DDImage* LumoAppBase::CopyImage(Image* source) { return nullptr; }
int LumoAppBase::ReinitDisplay() { return 0; }
void LumoAppBase::InitDisplay(bool is3D, bool reinitNow) { }
void LumoAppBase::StartCursorThread() { }
bool LumoAppBase::ProcessQueuedMessages(bool oneOnly) { return false; }
void LumoAppBase::CheckScreenSaverIdle(DWORD now) { }
void LumoAppBase::SetCursor(int cursorNumber) { }
void LumoAppBase::SetCursorImage(int cursorNumber, Image* image) { }
void LumoAppBase::EnableCustomCursors(bool enabled) { }
std::wstring LumoAppBase::GetString(const std::string& key, const std::wstring& defaultText) { return std::wstring(); }
bool LumoAppBase::WriteRegistryValue(const std::string& valueName, DWORD type, const void* data, DWORD length) { return false; }
bool LumoAppBase::WriteRegistryString(const std::string& valueName, const std::string& value) { return false; }
bool LumoAppBase::WriteRegistryInt(const std::string& valueName, int value) { return false; }
bool LumoAppBase::WriteRegistryBool(const std::string& valueName, bool value) { return false; }
bool LumoAppBase::ReadRegistryValue(const std::string& valueName, DWORD* type, void* data, DWORD* length, HKEY root) { return false; }
bool LumoAppBase::ReadRegistryValueHKCU(const std::string& valueName, DWORD* type, void* data, DWORD* length) { return false; }
bool LumoAppBase::ReadRegistryInt(const std::string& valueName, int* value) { return false; }
bool LumoAppBase::ReadRegistryBool(const std::string& valueName, bool* value) { return false; }
void LumoAppBase::DeleteRegistryValue(const std::wstring& valueName) { }
void LumoAppBase::AddMemoryImage(MemoryImage* image) { }
void LumoAppBase::RemoveMemoryImage(MemoryImage* image) { }
void LumoAppBase::CopyToClipboard(const std::string& text) { }
std::string LumoAppBase::GetClipboardText() { return std::string(); }
bool LumoAppBase::ReadFileToBuffer(const std::string& fileName, Buffer* buffer, bool bypassDemo) { return false; }
void LumoAppBase::UpdateFocusState() { }
void LumoAppBase::ClearHeldKeys() { }
void LumoAppBase::ToggleSound() { }
void LumoAppBase::WriteDemoTiming() { }
bool LumoAppBase::ReadDemoTiming(bool consume) { return false; }
void LumoAppBase::ReplayDemoEvents() { }
void LumoAppBase::SyncDemoString(std::string& value) { }
void LumoAppBase::SyncDemoBool(bool& value) { }
bool LumoAppBase::ReadDemoFile(std::string& errorText) { return false; }
void LumoAppBase::WriteDemoFile() { }
int LumoAppBase::ShowDemoJumpToTime() { return 0; }
int LumoAppBase::ShowDemoMarkerList() { return 0; }
void LumoAppBase::DrawFPSOverlay(Graphics* g) { }
void LumoAppBase::DrawMouseOverlay(Graphics* g, int x, int y) { }
void LumoAppBase::DrawDemoClockOverlay(Graphics* g) { }
void LumoAppBase::ExitImmediately(int exitCode) { }
LRESULT LumoAppBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
LRESULT LumoAppBase::DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
bool LumoAppBase::ScreenSaverFilter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return false; }
bool LumoAppBase::QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return false; }

} // namespace Lumo
