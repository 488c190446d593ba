#include "framework/diagnostics/DemoStubs.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace Lumo
{

int FindLatestDemoNumber(const std::string& prefix, int keepCount, bool allowDelete)
{
    std::string folder;
    size_t slash = prefix.find_last_of("\\/");
    if (slash != std::string::npos)
        folder = prefix.substr(0, slash + 1);
    std::string namePrefix = slash == std::string::npos ? prefix : prefix.substr(slash + 1);

    std::vector<int> numbers;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((prefix + "*.dmo").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name.size() <= namePrefix.size() + 4 ||
                _strnicmp(name.c_str(), namePrefix.c_str(), namePrefix.size()) != 0 ||
                _stricmp(name.c_str() + name.size() - 4, ".dmo") != 0)
                continue;
            std::string digits =
                name.substr(namePrefix.size(), name.size() - namePrefix.size() - 4);
            bool allDigits = !digits.empty();
            for (char c : digits)
                allDigits = allDigits && c >= '0' && c <= '9';
            if (allDigits)
                numbers.push_back(atoi(digits.c_str()));
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }

    int highest = 0;
    int lowest = 0;
    for (size_t i = 0; i < numbers.size(); i++)
    {
        if (numbers[i] > highest)
            highest = numbers[i];
        if (i == 0 || numbers[i] < lowest)
            lowest = numbers[i];
    }
    if (allowDelete && !numbers.empty() && (int)numbers.size() >= keepCount)
        DeleteFileA((prefix + std::to_string(lowest) + ".dmo").c_str());
    return highest;
}

} // namespace Lumo
