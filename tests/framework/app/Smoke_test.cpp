#include <gtest/gtest.h>
#include <windows.h>

TEST(Smoke, RunsUnderWindows)
{
    OSVERSIONINFOA v = {sizeof(v)};
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_GE(v.dwMajorVersion, 5u);
}
