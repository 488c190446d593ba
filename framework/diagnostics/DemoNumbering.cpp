#include "framework/diagnostics/DemoNumbering.h"

#include <windows.h>

#include <cstdlib>
#include <set>

namespace Lumo
{

int FindLatestDemoNumber(const std::string& prefix, int keepCount, bool allowDelete)
{
    size_t slash = prefix.find_last_of("\\/");
    std::string namePrefix = slash == std::string::npos ? prefix : prefix.substr(slash + 1);

    std::set<int> numbers;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((prefix + "*.dmo").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        std::string name = data.cFileName;
        if (name.size() <= namePrefix.size() + 4 ||
            _strnicmp(name.c_str(), namePrefix.c_str(), namePrefix.size()) != 0 ||
            _stricmp(name.c_str() + name.size() - 4, ".dmo") != 0)
            continue;
        std::string digits = name.substr(namePrefix.size(), name.size() - namePrefix.size() - 4);
        // "7b.dmo" or "-3.dmo" is no numbered recording of ours.
        bool allDigits = digits.size() <= 9;
        for (char c : digits)
            allDigits = allDigits && c >= '0' && c <= '9';
        if (allDigits)
            numbers.insert(atoi(digits.c_str()));
    } while (FindNextFileA(find, &data));
    FindClose(find);

    if (numbers.empty())
        return 0;
    if (allowDelete && (int)numbers.size() >= keepCount)
        DeleteFileA((prefix + std::to_string(*numbers.begin()) + ".dmo").c_str());
    return *numbers.rbegin();
}

} // namespace Lumo
