#include "framework/app/StringUtils.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <vector>

namespace Lumo
{

static std::string gAppDataFolder;

// ---------------------------------------------------------------------------------------------
// Conversions and case

std::wstring StringToWString(const std::string& theString)
{
    std::wstring aResult(theString.size(), L'\0');
    for (size_t i = 0; i < theString.size(); i++)
        aResult[i] = (wchar_t)(unsigned char)theString[i];
    return aResult;
}

LumoString StringToLumoString(const std::string& theString)
{
    return StringToWString(theString);
}

std::string WStringToString(const std::wstring& theString)
{
    // Small results skip the heap.
    enum
    {
        FIXED = 16384
    };
    char aFixed[FIXED];
    size_t aLen = wcstombs(aFixed, theString.c_str(), FIXED);
    if (aLen == (size_t)-1)
        return std::string();
    if (aLen < FIXED)
        return std::string(aFixed, aLen);
    aLen = wcstombs(nullptr, theString.c_str(), 0);
    if (aLen == (size_t)-1)
        return std::string();
    std::vector<char> aHeap(aLen + 1);
    aLen = wcstombs(&aHeap[0], theString.c_str(), aLen + 1);
    if (aLen == (size_t)-1)
        return std::string();
    return std::string(&aHeap[0], aLen);
}

std::string LumoStringToString(const LumoString& theString)
{
    return WStringToString(theString);
}

std::string StringToUpper(const std::string& theString)
{
    std::string aResult(theString);
    for (char& c : aResult)
        c = (char)toupper((unsigned char)c);
    return aResult;
}

std::wstring WStringToUpper(const std::wstring& theString)
{
    std::wstring aResult(theString);
    for (wchar_t& c : aResult)
        c = (wchar_t)towupper(c);
    return aResult;
}

template <class C> static bool IsTrimSpace(C c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <class S> static S TrimImpl(const S& theString)
{
    size_t aStart = 0, aEnd = theString.size();
    while (aStart < aEnd && IsTrimSpace(theString[aStart]))
        aStart++;
    while (aEnd > aStart && IsTrimSpace(theString[aEnd - 1]))
        aEnd--;
    return theString.substr(aStart, aEnd - aStart);
}

std::string Trim(const std::string& theString)
{
    return TrimImpl(theString);
}
std::wstring Trim(const std::wstring& theString)
{
    return TrimImpl(theString);
}

// ---------------------------------------------------------------------------------------------
// Number parsing

// Digit value in the given base, or -1.
template <class C> static int DigitValue(C c, bool theHex)
{
    if (c >= '0' && c <= '9')
        return (int)(c - '0');
    if (theHex && c >= 'a' && c <= 'f')
        return (int)(c - 'a') + 10;
    if (theHex && c >= 'A' && c <= 'F')
        return (int)(c - 'A') + 10;
    return -1;
}

template <class S> static bool ParseIntImpl(const S& theString, int* theValue)
{
    *theValue = 0;
    if (theString.empty())
        return false;
    unsigned int aValue = 0; // unsigned so that overflow wraps without undefined behaviour
    bool aNegative = false, aHex = false;
    for (size_t i = 0; i < theString.size(); i++)
    {
        auto c = theString[i];
        if (i == 0 && c == '-')
        {
            aNegative = true;
            continue;
        }
        if (i == 1 && (c == 'x' || c == 'X') && aValue == 0)
        {
            aHex = true;
            continue;
        }
        int aDigit = DigitValue(c, aHex);
        if (aDigit < 0)
            return false;
        aValue = aValue * (aHex ? 16u : 10u) + (unsigned int)aDigit;
    }
    *theValue = (int)(aNegative ? 0u - aValue : aValue);
    return true;
}

bool ParseInt(const std::string& theString, int* theValue)
{
    return ParseIntImpl(theString, theValue);
}
bool ParseInt(const std::string& theString, int& theValue)
{
    return ParseIntImpl(theString, &theValue);
}
bool ParseWideInt(const std::wstring& theString, int* theValue)
{
    return ParseIntImpl(theString, theValue);
}
bool ParseWideInt(const std::wstring& theString, int& theValue)
{
    return ParseIntImpl(theString, &theValue);
}

bool ParseDouble(const std::wstring& theString, double* theValue)
{
    *theValue = 0.0;
    if (theString.empty())
        return false;
    double aValue = 0.0, aPlace = 0.1;
    bool aNegative = false, aFraction = false;
    for (size_t i = 0; i < theString.size(); i++)
    {
        wchar_t c = theString[i];
        if (i == 0 && c == L'-')
        {
            aNegative = true;
            continue;
        }
        if (c == L'.' && !aFraction)
        {
            aFraction = true;
            continue;
        }
        int aDigit = DigitValue(c, false);
        if (aDigit < 0)
            return false;
        if (aFraction)
        {
            aValue += aDigit * aPlace;
            aPlace *= 0.1;
        }
        else
            aValue = aValue * 10.0 + aDigit;
    }
    *theValue = aNegative ? -aValue : aValue;
    return true;
}

bool ParseDouble(const std::wstring& theString, double& theValue)
{
    return ParseDouble(theString, &theValue);
}

bool ParseHex(const std::string& theString, int* theValue)
{
    unsigned int aValue = 0;
    size_t aLen = theString.size();
    for (size_t i = 0; i < aLen; i++)
    {
        int aDigit = DigitValue(theString[i], true);
        if (aDigit < 0)
        {
            *theValue = (int)aValue;
            return false;
        }
        // Places past the eighth digit wrap out of 32 bits entirely.
        size_t aPlace = aLen - 1 - i;
        if (aPlace < 8)
            aValue += (unsigned int)aDigit << (4 * aPlace);
    }
    *theValue = (int)aValue;
    return true;
}

bool ParseHex(const std::string& theString, int& theValue)
{
    return ParseHex(theString, &theValue);
}

// ---------------------------------------------------------------------------------------------
// Formatting

enum
{
    FORMAT_FIRST_SIZE = 160,
    FORMAT_SIZE_LIMIT = 1000000
};

static int CountedFormat(char* theBuffer, size_t theSize, const char* theFormat, va_list theArgs)
{
    return _vsnprintf(theBuffer, theSize, theFormat, theArgs);
}

static int CountedFormat(wchar_t* theBuffer, size_t theSize, const wchar_t* theFormat,
                         va_list theArgs)
{
    return _vsnwprintf(theBuffer, theSize, theFormat, theArgs);
}

// The counted formatter writes no terminator when the text fills the buffer exactly, and
// reports -1 (not the needed size) when it does not fit; so the text is always taken by its
// reported count, or up to the first terminator of a zeroed buffer once the cap is reached.
template <class C> static std::basic_string<C> FormatImpl(const C* theFormat, va_list theArgs)
{
    C aFixed[FORMAT_FIRST_SIZE];
    va_list aArgs;
    va_copy(aArgs, theArgs);
    int aCount = CountedFormat(aFixed, FORMAT_FIRST_SIZE, theFormat, aArgs);
    va_end(aArgs);
    if (aCount >= 0 && aCount <= FORMAT_FIRST_SIZE)
        return std::basic_string<C>(aFixed, aCount);

    size_t aSize = FORMAT_FIRST_SIZE;
    std::vector<C> aHeap;
    do
    {
        aSize *= 2;
        aHeap.assign(aSize + 1, C(0));
        va_copy(aArgs, theArgs);
        aCount = CountedFormat(&aHeap[0], aSize, theFormat, aArgs);
        va_end(aArgs);
        if (aCount >= 0 && (size_t)aCount <= aSize)
            return std::basic_string<C>(&aHeap[0], aCount);
    } while (aSize < FORMAT_SIZE_LIMIT);

    // Still too long: the text cut at the largest buffer.
    size_t aLen = 0;
    while (aLen < aSize && aHeap[aLen] != 0)
        aLen++;
    return std::basic_string<C>(&aHeap[0], aLen);
}

std::string VFormat(const char* theFormat, va_list theArgs)
{
    return FormatImpl(theFormat, theArgs);
}

std::string StrFormat(const char* theFormat, ...)
{
    va_list aArgs;
    va_start(aArgs, theFormat);
    std::string aResult = VFormat(theFormat, aArgs);
    va_end(aArgs);
    return aResult;
}

std::wstring WVFormat(const wchar_t* theFormat, va_list theArgs)
{
    return FormatImpl(theFormat, theArgs);
}

std::wstring WStrFormat(const wchar_t* theFormat, ...)
{
    va_list aArgs;
    va_start(aArgs, theFormat);
    std::wstring aResult = WVFormat(theFormat, aArgs);
    va_end(aArgs);
    return aResult;
}

std::wstring CommaSeparate(int theValue)
{
    // Magnitude in unsigned so that INT_MIN has one.
    unsigned int aMagnitude = theValue < 0 ? 0u - (unsigned int)theValue : (unsigned int)theValue;
    std::wstring aDigits;
    int aCount = 0;
    do
    {
        if (aCount > 0 && aCount % 3 == 0)
            aDigits.insert(aDigits.begin(), L',');
        aDigits.insert(aDigits.begin(), (wchar_t)(L'0' + aMagnitude % 10));
        aMagnitude /= 10;
        aCount++;
    } while (aMagnitude != 0);
    if (theValue < 0)
        aDigits.insert(aDigits.begin(), L'-');
    return aDigits;
}

void DebugOutput(const wchar_t* theFormat, ...)
{
    va_list aArgs;
    va_start(aArgs, theFormat);
    std::wstring aText = WVFormat(theFormat, aArgs);
    va_end(aArgs);
    OutputDebugStringA(WStringToString(aText).c_str());
}

// ---------------------------------------------------------------------------------------------
// Paths and folders

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static size_t LastSeparator(const std::string& thePath)
{
    return thePath.find_last_of("\\/");
}

std::string GetFileNameOfPath(const std::string& thePath)
{
    size_t aSep = LastSeparator(thePath);
    return aSep == std::string::npos ? thePath : thePath.substr(aSep + 1);
}

std::string GetFileName(const std::string& thePath, bool theNoExtension)
{
    size_t aSep = LastSeparator(thePath);
    size_t aStart = aSep == std::string::npos ? 0 : aSep + 1;
    if (theNoExtension)
    {
        size_t aDot = thePath.rfind('.');
        if (aDot != std::string::npos && aDot >= aStart)
            return thePath.substr(aStart, aDot - aStart);
    }
    return thePath.substr(aStart);
}

std::string GetFileDir(const std::string& thePath, bool theWithSlash)
{
    size_t aSep = LastSeparator(thePath);
    if (aSep == std::string::npos)
        return std::string();
    return thePath.substr(0, theWithSlash ? aSep + 1 : aSep);
}

bool IsAbsolutePath(const std::string& thePath)
{
    if (thePath.size() >= 2 && isalpha((unsigned char)thePath[0]) && thePath[1] == ':')
        return true;
    return thePath.size() >= 2 && IsSeparator(thePath[0]) && IsSeparator(thePath[1]);
}

std::string RemoveTrailingSlash(const std::string& thePath)
{
    if (!thePath.empty() && IsSeparator(thePath.back()))
        return thePath.substr(0, thePath.size() - 1);
    return thePath;
}

std::string AddTrailingSlash(const std::string& thePath, bool theBackslash)
{
    if (thePath.empty() || IsSeparator(thePath.back()))
        return thePath;
    return thePath + (theBackslash ? '\\' : '/');
}

std::string GetPathFrom(const std::string& thePath, const std::string& theBaseFolder)
{
    if (thePath.size() >= 2 && thePath[1] == ':')
        return thePath;

    bool aBackslash =
        thePath.find('\\') != std::string::npos || theBaseFolder.find('\\') != std::string::npos;
    char aSep = aBackslash ? '\\' : '/';

    std::string aDrive, aFolder;
    if (theBaseFolder.size() >= 2 && theBaseFolder[1] == ':')
    {
        aDrive = theBaseFolder.substr(0, 2);
        aFolder = theBaseFolder.substr(2);
    }
    else
        aFolder = theBaseFolder;
    if (!aFolder.empty() && !IsSeparator(aFolder.back()))
        aFolder += aSep;

    size_t aStart = 0;
    for (;;)
    {
        size_t aEnd = thePath.find_first_of("\\/", aStart);
        if (aEnd == std::string::npos)
            break;
        std::string aPart = thePath.substr(aStart, aEnd - aStart);
        if (aPart.empty())
            aFolder.assign(1, aSep);
        else if (aPart == "..")
        {
            if (aFolder.empty())
            {
                // Above a relative base the path stays relative.
                aFolder = std::string("..") + aSep;
            }
            else
            {
                // aFolder ends in a separator; its last part lies before that.
                size_t aTrail = aFolder.size() - 1;
                size_t aPrev =
                    aTrail == 0 ? std::string::npos : aFolder.find_last_of("\\/", aTrail - 1);
                size_t aPartStart = aPrev == std::string::npos ? 0 : aPrev + 1;
                std::string aLast = aFolder.substr(aPartStart, aTrail - aPartStart);
                if (aLast == "..")
                    aFolder += std::string("..") + aSep;
                else if (!aLast.empty()) // at the root there is nothing to climb
                    aFolder.erase(aPartStart);
            }
        }
        else if (aPart != ".")
            aFolder += aPart + aSep;
        aStart = aEnd + 1;
    }

    std::string aResult = aDrive + aFolder + thePath.substr(aStart);
    for (char& c : aResult)
        if (IsSeparator(c))
            c = aSep;
    return aResult;
}

bool IsFolderPath(const std::string& thePath)
{
    if (thePath.empty() || IsSeparator(thePath.back()))
        return true;
    // The last part starts behind the last separator, or behind a drive ("C:name").
    size_t aSep = LastSeparator(thePath);
    size_t aStart = aSep != std::string::npos                  ? aSep + 1
                    : thePath.size() >= 2 && thePath[1] == ':' ? 2
                                                               : 0;
    std::string aLast = thePath.substr(aStart);
    // The system drops a part's trailing dots and blanks: "x\." opens x, "x\.." its parent.
    if (aLast.find_first_not_of(". ") == std::string::npos)
        return true;
    // A network path needs a server, a share and a name below them.
    if (thePath.size() >= 2 && IsSeparator(thePath[0]) && IsSeparator(thePath[1]))
    {
        int aParts = 0;
        for (size_t i = 2; i < thePath.size(); i++)
            if (!IsSeparator(thePath[i]) && IsSeparator(thePath[i - 1]))
                aParts++;
        if (aParts < 3)
            return true;
    }
    // "folder:stream" and "folder::$DATA" lie on the folder itself.
    size_t aColon = aLast.find(':');
    std::string aTarget =
        aColon == std::string::npos ? thePath : thePath.substr(0, aStart + aColon);
    DWORD anAttributes = GetFileAttributesA(aTarget.c_str());
    return anAttributes != INVALID_FILE_ATTRIBUTES && (anAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The system opens these as devices in any folder, with any extension ("con.dmo") and with
// blanks before it ("nul .dmo").
static bool IsDeviceName(const std::string& thePart)
{
    std::string aBase = StringToUpper(thePart.substr(0, thePart.find_first_of(".:")));
    aBase.erase(aBase.find_last_not_of(' ') + 1);
    for (const char* aDevice : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (aBase == aDevice)
            return true;
    return aBase.size() == 4 &&
           (aBase.compare(0, 3, "COM") == 0 || aBase.compare(0, 3, "LPT") == 0) &&
           aBase[3] >= '1' && aBase[3] <= '9';
}

// The start of a path that names no file or folder of its own: "C:\", "C:", "\\server\share\",
// "\" or nothing (the working folder).
static size_t RootLength(const std::string& thePath)
{
    if (thePath.size() >= 2 && isalpha((unsigned char)thePath[0]) && thePath[1] == ':')
        return thePath.size() >= 3 && IsSeparator(thePath[2]) ? 3 : 2;
    if (thePath.size() >= 2 && IsSeparator(thePath[0]) && IsSeparator(thePath[1]))
    {
        size_t aAt = 2;
        for (int aPart = 0; aPart < 2; aPart++)
        {
            size_t aSep = thePath.find_first_of("\\/", aAt);
            if (aSep == std::string::npos)
                return thePath.size();
            aAt = aSep + 1;
        }
        return aAt;
    }
    return !thePath.empty() && IsSeparator(thePath[0]) ? 1 : 0;
}

// An existing file that a writer may write over: a file on a disk that opens for writing.
static FileWriteProblem CheckExistingFile(const std::string& thePath, DWORD theAttributes)
{
    if (theAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileWriteProblem::NotWritable;
    HANDLE aFile = CreateFileA(thePath.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (aFile == INVALID_HANDLE_VALUE)
        return FileWriteProblem::NotWritable;
    DWORD aType = GetFileType(aFile);
    CloseHandle(aFile);
    return aType == FILE_TYPE_DISK ? FileWriteProblem::None : FileWriteProblem::Device;
}

FileWriteProblem CheckFileWrite(const std::string& thePath, const std::string& theTemporarySuffix)
{
    const std::string aTemporary = thePath + theTemporarySuffix;
    // The narrow calls take no more, whatever the disk would.
    if (aTemporary.size() >= MAX_PATH)
        return FileWriteProblem::TooLong;
    const size_t aRoot = RootLength(aTemporary);
    for (size_t aStart = aRoot; aStart < aTemporary.size();)
    {
        size_t aEnd = aTemporary.find_first_of("\\/", aStart);
        if (aEnd == std::string::npos)
            aEnd = aTemporary.size();
        const std::string aPart = aTemporary.substr(aStart, aEnd - aStart);
        if (aPart.size() > 255)
            return FileWriteProblem::TooLong;
        for (unsigned char c : aPart)
            if (c < 32 || std::string("\"*<>?|").find((char)c) != std::string::npos)
                return FileWriteProblem::Characters;
        if (IsDeviceName(aPart))
            return FileWriteProblem::Device;
        aStart = aEnd + 1;
    }

    for (const std::string& aName : {thePath, aTemporary})
    {
        DWORD aAttributes = GetFileAttributesA(aName.c_str());
        if (aAttributes == INVALID_FILE_ATTRIBUTES)
            continue;
        FileWriteProblem aProblem = CheckExistingFile(aName, aAttributes);
        if (aProblem != FileWriteProblem::None || aName == aTemporary)
            return aProblem;
    }

    // The deepest folder on the way that is there; the part after it is what the writer makes.
    size_t aMissing = aRoot;
    for (size_t aSep = LastSeparator(aTemporary);
         aSep != std::string::npos && aSep >= aRoot && aSep > 0;
         aSep = aTemporary.find_last_of("\\/", aSep - 1))
    {
        DWORD aAttributes = GetFileAttributesA(aTemporary.substr(0, aSep).c_str());
        if (aAttributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!(aAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return FileWriteProblem::ThroughFile;
        aMissing = aSep + 1;
        break;
    }
    if (aMissing == aRoot)
    {
        // Nothing below the root is there: the drive, the share or the working folder must be.
        const std::string aBase = aRoot > 0 ? aTemporary.substr(0, aRoot) : std::string(".");
        DWORD aAttributes = GetFileAttributesA(aBase.c_str());
        if (aAttributes == INVALID_FILE_ATTRIBUTES || !(aAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return FileWriteProblem::CannotCreate;
    }
    // Only making it shows that the system lets it be made (rights, a share's, a disk's rules).
    size_t aEnd = aTemporary.find_first_of("\\/", aMissing);
    const std::string aFirst =
        aTemporary.substr(0, aEnd == std::string::npos ? aTemporary.size() : aEnd);
    HANDLE aProbe = CreateFileA(aFirst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (aProbe == INVALID_HANDLE_VALUE)
        return FileWriteProblem::CannotCreate;
    DWORD aType = GetFileType(aProbe);
    CloseHandle(aProbe);
    return aType == FILE_TYPE_DISK ? FileWriteProblem::None : FileWriteProblem::Device;
}

void MakeDirectories(const std::string& thePath)
{
    for (size_t i = 0; i < thePath.size(); i++)
        if (IsSeparator(thePath[i]) && i > 0)
            CreateDirectoryA(thePath.substr(0, i).c_str(), nullptr);
    if (!thePath.empty())
        CreateDirectoryA(thePath.c_str(), nullptr);
}

std::wstring SystemShortPath(const std::wstring& thePath)
{
    DWORD aSize = GetShortPathNameW(thePath.c_str(), nullptr, 0);
    if (aSize == 0)
        return std::wstring();
    std::wstring aShort(aSize, L'\0');
    aSize = GetShortPathNameW(thePath.c_str(), &aShort[0], aSize);
    if (aSize == 0 || aSize >= aShort.size())
        return std::wstring();
    aShort.resize(aSize);
    return aShort;
}

bool ToCodePage(const std::wstring& theText, std::string& theNarrow)
{
    theNarrow.clear();
    if (theText.empty())
        return true;
    BOOL aDefaulted = FALSE;
    int aSize = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, theText.data(),
                                    int(theText.size()), nullptr, 0, nullptr, &aDefaulted);
    if (aSize <= 0 || aDefaulted)
        return false;
    std::string aNarrow(size_t(aSize), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, theText.data(), int(theText.size()),
                        &aNarrow[0], aSize, nullptr, &aDefaulted);
    // The narrow calls read the bytes back through the same code page: a best fit ("L" for
    // "\u0141") would name another file.
    if (aDefaulted || FromCodePage(aNarrow) != theText)
        return false;
    theNarrow.swap(aNarrow);
    return true;
}

std::wstring FromCodePage(const std::string& theNarrow)
{
    if (theNarrow.empty())
        return std::wstring();
    int aSize = MultiByteToWideChar(CP_ACP, 0, theNarrow.data(), int(theNarrow.size()), nullptr, 0);
    if (aSize <= 0)
        return std::wstring();
    std::wstring aWide(size_t(aSize), L'\0');
    MultiByteToWideChar(CP_ACP, 0, theNarrow.data(), int(theNarrow.size()), &aWide[0], aSize);
    return aWide;
}

// Offers the whole path, then ever shorter heads of it with the rest behind them, to the
// visitor until it takes one (the head of what exists of the path); true when it did. A drive
// or share root is never offered: nothing above it exists.
template <class Visitor>
static bool VisitExistingHead(const std::wstring& thePath, Visitor theVisitor)
{
    for (size_t aCut = thePath.size(); aCut > 0;)
    {
        if (theVisitor(thePath.substr(0, aCut), thePath.substr(aCut)))
            return true;
        size_t aSep = thePath.find_last_of(L"\\/", aCut - 1);
        if (aSep == std::wstring::npos || aSep < 3)
            return false;
        aCut = aSep;
    }
    return false;
}

std::string NarrowPathName(const std::wstring& thePath, ShortPathQuery theShortPath)
{
    std::string aNarrow;
    if (ToCodePage(thePath, aNarrow))
        return aNarrow;
    // A name outside the code page: the short name of the longest part of the path that exists,
    // then the parts below it, which the code page must hold as they are.
    aNarrow.clear();
    VisitExistingHead(thePath,
                      [&](const std::wstring& aHead, const std::wstring& aRest)
                      {
                          std::wstring aShort = theShortPath(aHead);
                          if (aShort.empty())
                              return false;
                          std::string aNarrowHead, aNarrowRest;
                          if (ToCodePage(aShort, aNarrowHead) && ToCodePage(aRest, aNarrowRest))
                              aNarrow = aNarrowHead + aNarrowRest;
                          return true;
                      });
    return aNarrow;
}

std::wstring WidePathName(const std::string& thePath)
{
    // A file not there yet: its folder's long name, then its own.
    const std::wstring aRead = FromCodePage(thePath);
    std::wstring aWide = aRead;
    VisitExistingHead(aRead,
                      [&](const std::wstring& aHead, const std::wstring& aRest)
                      {
                          DWORD aLength = GetLongPathNameW(aHead.c_str(), nullptr, 0);
                          std::wstring aLong(aLength, L'\0');
                          if (aLength == 0 ||
                              GetLongPathNameW(aHead.c_str(), &aLong[0], aLength) != aLength - 1)
                              return false;
                          aLong.resize(aLength - 1);
                          aWide = aLong + aRest;
                          return true;
                      });
    return aWide;
}

std::wstring GetExecutablePathW()
{
    std::wstring aPath(MAX_PATH, L'\0');
    for (;;)
    {
        DWORD aLength = GetModuleFileNameW(nullptr, &aPath[0], DWORD(aPath.size()));
        if (aLength == 0)
            return std::wstring();
        if (aLength < aPath.size())
        {
            aPath.resize(aLength);
            return aPath;
        }
        aPath.resize(aPath.size() * 2);
    }
}

std::string GetExecutablePath()
{
    std::wstring aPath = GetExecutablePathW();
    return aPath.empty() ? std::string() : NarrowPathName(aPath);
}

bool UseExecutableFolder()
{
    std::wstring aPath = GetExecutablePathW();
    size_t aSep = aPath.find_last_of(L"\\/");
    return aSep != std::wstring::npos &&
           SetCurrentDirectoryW(aPath.substr(0, aSep + 1).c_str()) != FALSE;
}

bool DeleteTree(const std::string& thePath)
{
    if (thePath.size() < 2)
        return false;
    std::string aFolder = thePath;
    if (!IsSeparator(aFolder.back()))
        aFolder += '\\';

    WIN32_FIND_DATAA aData;
    HANDLE aFind = FindFirstFileA((aFolder + "*.*").c_str(), &aData);
    if (aFind == INVALID_HANDLE_VALUE)
        return false;
    bool aResult = true;
    do
    {
        std::string aName = aData.cFileName;
        std::string aFull = aFolder + aName;
        if (aData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (aName == "." || aName == "..")
                continue;
            // A linked folder belongs to someone else: remove the link, not what it points at.
            if (aData.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            {
                if (!RemoveDirectoryA(aFull.c_str()))
                    aResult = false;
            }
            else if (!DeleteTree(aFull))
                aResult = false;
        }
        else if (!DeleteFileA(aFull.c_str()))
            aResult = false;
    } while (FindNextFileA(aFind, &aData));
    FindClose(aFind);

    if (!RemoveDirectoryA(thePath.c_str()))
        aResult = false;
    return aResult;
}

void SetAppDataFolder(const std::string& thePath)
{
    if (!IsWindowsVistaOrLater())
        return;
    gAppDataFolder = thePath;
    if (!gAppDataFolder.empty() && !IsSeparator(gAppDataFolder.back()))
        gAppDataFolder += '\\';
}

std::string GetAppDataFolder()
{
    return gAppDataFolder;
}

} // namespace Lumo

// ---------------------------------------------------------------------------------------------
// Global helpers

template <class S, class Lower>
static int FindNoCaseImpl(const S& theHay, const S& theNeedle, Lower theLower)
{
    if (theHay.empty())
        return -1;
    if (theNeedle.size() > theHay.size())
        return -1;
    for (size_t i = 0; i + theNeedle.size() <= theHay.size(); i++)
    {
        size_t k = 0;
        while (k < theNeedle.size() && theLower(theHay[i + k]) == theLower(theNeedle[k]))
            k++;
        if (k == theNeedle.size())
            return (int)i;
    }
    return -1;
}

int StrFindNoCase(const std::string& theHaystack, const std::string& theNeedle)
{
    return FindNoCaseImpl(theHaystack, theNeedle, [](char c) { return tolower((unsigned char)c); });
}

int StrFindNoCase(const std::wstring& theHaystack, const std::wstring& theNeedle)
{
    return FindNoCaseImpl(theHaystack, theNeedle, [](wchar_t c) { return towlower(c); });
}

// Extended record first, then the basic one for systems that reject its size.
static bool QueryVersion(OSVERSIONINFOA* theInfo)
{
    OSVERSIONINFOEXA aEx;
    ZeroMemory(&aEx, sizeof(aEx));
    aEx.dwOSVersionInfoSize = sizeof(aEx);
    if (GetVersionExA((OSVERSIONINFOA*)&aEx))
    {
        *theInfo = *(OSVERSIONINFOA*)&aEx;
        return true;
    }
    ZeroMemory(theInfo, sizeof(*theInfo));
    theInfo->dwOSVersionInfoSize = sizeof(*theInfo);
    return GetVersionExA(theInfo) != FALSE;
}

bool IsWindows9x()
{
    static bool sAsked = false, sAnswer = false;
    if (!sAsked)
    {
        OSVERSIONINFOA aInfo;
        if (!QueryVersion(&aInfo))
            return false;
        sAnswer = aInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
        sAsked = true;
    }
    return sAnswer;
}

bool IsWindowsVistaOrLater()
{
    static bool sAsked = false, sAnswer = false;
    if (!sAsked)
    {
        OSVERSIONINFOA aInfo;
        if (!QueryVersion(&aInfo))
            return false;
        sAnswer = aInfo.dwMajorVersion >= 6;
        sAsked = true;
    }
    return sAnswer;
}
