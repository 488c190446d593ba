#include "tests/support/TempFolder.h"

#include "framework/app/StringUtils.h"

#include <gtest/gtest.h>

#include <direct.h>
#include <windows.h>

#include <cstdio>

void TempFolder::Enter(const std::string& prefix)
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    static int counter = 0;
    mFolder = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(++counter);
    ASSERT_TRUE(CreateDirectoryA(mFolder.c_str(), nullptr));
    char cwd[MAX_PATH];
    ASSERT_NE(nullptr, _getcwd(cwd, MAX_PATH));
    mOldFolder = cwd;
    ASSERT_EQ(0, _chdir(mFolder.c_str()));
}

void TempFolder::Leave()
{
    _chdir(mOldFolder.c_str());
    Lumo::DeleteTree(mFolder);
}

void WriteTestFile(const std::string& name, const std::string& bytes)
{
    FILE* f = fopen(name.c_str(), "wb");
    ASSERT_NE(nullptr, f) << name;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadTestFile(const std::string& name)
{
    FILE* f = fopen(name.c_str(), "rb");
    if (f == nullptr)
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, got);
    fclose(f);
    return bytes;
}
