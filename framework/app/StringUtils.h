#pragma once

#include <cstdarg>
#include <string>

// The framework's free string, path and file helpers. Narrow strings are bytes in the system
// code page; wide strings are 16-bit and are the framework's own text type (LumoString).
// Parsers never throw: they return false and leave 0 in their out value (ParseHex excepted).
// Formatting goes through the Windows runtime's counted formatter, so a wide %s takes a wide
// string in both the narrow and the wide forms.
//
// Sections: conversions and case / number parsing / formatting / paths and folders /
// operating system.

namespace Lumo
{

typedef std::wstring LumoString;

// --- Conversions and case
// Each byte becomes the character of the same value; no code-page conversion.
std::wstring StringToWString(const std::string& theString);
LumoString StringToLumoString(const std::string& theString);
// The runtime's wide-to-multibyte conversion; empty when any character does not convert.
std::string WStringToString(const std::wstring& theString);
std::string LumoStringToString(const LumoString& theString);
std::string StringToUpper(const std::string& theString);
std::wstring WStringToUpper(const std::wstring& theString);
// Strips blank, tab, line feed, vertical tab, form feed and carriage return at both ends.
std::string Trim(const std::string& theString);
std::wstring Trim(const std::wstring& theString);

// --- Number parsing
// Optional "-" first, then decimal; an "x" at index 1 after a 0 value switches to hex ("0x1f",
// "-x1f"). "-" alone is 0. Overflow wraps.
bool ParseInt(const std::string& theString, int* theValue);
bool ParseInt(const std::string& theString, int& theValue);
bool ParseWideInt(const std::wstring& theString, int* theValue);
bool ParseWideInt(const std::wstring& theString, int& theValue);
// Optional "-", digits, optionally one "." and digits; no exponent. "-" alone is -0.0.
bool ParseDouble(const std::wstring& theString, double* theValue);
bool ParseDouble(const std::wstring& theString, double& theValue);
// Bare hex digits, no prefix; empty is 0. On a bad character the out value keeps the digits
// before it, each weighted by its place in the whole text.
bool ParseHex(const std::string& theString, int* theValue);
bool ParseHex(const std::string& theString, int& theValue);

// --- Formatting
// printf-style. Text longer than 1,310,720 characters is cut there.
std::string VFormat(const char* theFormat, va_list theArgs);
std::string StrFormat(const char* theFormat, ...);
std::wstring WVFormat(const wchar_t* theFormat, va_list theArgs);
std::wstring WStrFormat(const wchar_t* theFormat, ...);
// Decimal with "," between groups of three digits: 1000 -> "1,000".
std::wstring CommaSeparate(int theValue);
// Formats and sends the text to the debugger (narrow).
void DebugOutput(const wchar_t* theFormat, ...);

// --- Paths and folders ("\" and "/" both separate; the later one counts)
std::string GetFileNameOfPath(const std::string& thePath);
// With theNoExtension, also drops the text from the last "." of the file name on.
std::string GetFileName(const std::string& thePath, bool theNoExtension = false);
// Empty when there is no separator.
std::string GetFileDir(const std::string& thePath, bool theWithSlash = false);
// A path that names its drive ("C:\...") or a network share ("\\server\share\...");
// any other path ("..\x", "ab\x", "\x") is relative to some folder.
bool IsAbsolutePath(const std::string& thePath);
// Drops one trailing separator.
std::string RemoveTrailingSlash(const std::string& thePath);
// Appends "\" (theBackslash) or "/" unless the path is empty or already ends in a separator.
std::string AddTrailingSlash(const std::string& thePath, bool theBackslash = false);
// Resolves thePath against theBaseFolder: ".", "..", a leading separator (root of the base's
// drive); a path with a drive letter is returned as it is. The result uses "\" when either
// argument does, else "/".
std::string GetPathFrom(const std::string& thePath, const std::string& theBaseFolder);
// True when the path can name only a folder: it is empty or ends in a separator, its last part
// is dots and blanks alone (".", ".." as the system opens them), it is a drive ("C:") or a
// share ("\\server\share") alone; or it names a folder that exists, or a data stream of one.
bool IsFolderPath(const std::string& thePath);
// Why no file can be written at a path, as a writer that writes it beside its name first
// (path + temporary suffix) and then puts it in place would write it.
enum class FileWriteProblem
{
    None,
    Device,       // a part is a device's name, with any extension ("NUL", "con.dmo", "COM1")
    Characters,   // a part holds " * < > ? | or a control character
    TooLong,      // the path with the suffix reaches MAX_PATH, or a part is over 255 characters
    ThroughFile,  // a folder on the way is a file
    NotWritable,  // the file (or the one beside it) is there and cannot be opened for writing
    CannotCreate, // no file can be created where the path leads (no such drive or share, no right)
};
// Checks the name's form, what is there, and makes the first part that is not there (a file,
// deleted again as it is closed): nothing new stays on the disk. A folder at the path itself is
// NotWritable here; IsFolderPath tells it apart.
FileWriteProblem CheckFileWrite(const std::string& thePath, const std::string& theTemporarySuffix);
// Creates every folder along the path; failures (folders that exist) are ignored.
void MakeDirectories(const std::string& thePath);
// Deletes a folder and everything in it; true when all of it went. Refuses paths shorter than
// two characters. Linked folders are unlinked, never entered.
bool DeleteTree(const std::string& thePath);
// Where files written for the user go; empty (the working folder) before Vista.
void SetAppDataFolder(const std::string& thePath);
std::string GetAppDataFolder();

// --- Narrow names of wide paths
// The system's short name of an existing file or folder; empty when it has none.
typedef std::wstring (*ShortPathQuery)(const std::wstring& thePath);
std::wstring SystemShortPath(const std::wstring& thePath);
// The wide text in the system's code page, when every character has a byte there that reads
// back as the same character.
bool ToCodePage(const std::wstring& theText, std::string& theNarrow);
// Narrow text as the narrow calls read it: through the system's code page.
std::wstring FromCodePage(const std::string& theNarrow);
// A narrow name by which the narrow calls reach the file or folder named in wide text: the text
// itself when the code page holds it, else the short name of what exists of the path followed
// by the parts that do not exist yet. Empty when no narrow name reaches it.
std::string NarrowPathName(const std::wstring& thePath,
                           ShortPathQuery theShortPath = SystemShortPath);
// The running program's full path, wide, and as a narrow name (empty when none reaches it).
std::wstring GetExecutablePathW();
std::string GetExecutablePath();
// Makes the running program's folder the working folder, by its wide name: relative names then
// reach the files beside it whatever the code page holds.
bool UseExecutableFolder();
// A narrow path as the system reads it, with its short names long again where the file or its
// folder exists: the name to show the player.
std::wstring WidePathName(const std::string& thePath);

} // namespace Lumo

// --- Global helpers
// Index of the first case-insensitive occurrence; -1 when absent or the haystack is empty.
int StrFindNoCase(const std::string& theHaystack, const std::string& theNeedle);
int StrFindNoCase(const std::wstring& theHaystack, const std::wstring& theNeedle);
// Asked once and cached (not cached while the version query fails).
bool IsWindows9x();
bool IsWindowsVistaOrLater();

namespace Lumo
{
using ::IsWindows9x;
using ::IsWindowsVistaOrLater;
using ::StrFindNoCase;
} // namespace Lumo
