#pragma once
// A fresh folder under the system's temporary folder, made the working folder for one
// test and removed with all it holds afterwards. Archive and music tests name their
// files relative to the working folder, so each test starts from an empty one.

#include <string>

class TempFolder
{
public:
    // Makes "<temp><prefix><process id>_<n>" and enters it; a failure fails the test
    // (wrap the call in ASSERT_NO_FATAL_FAILURE).
    void Enter(const std::string& prefix);
    // Returns to the previous working folder and deletes the temporary one.
    void Leave();

    const std::string& Path() const { return mFolder; }

private:
    std::string mFolder;    // absolute, without a trailing separator
    std::string mOldFolder; // working folder before Enter
};

// Writes the bytes as the whole file; a file that cannot be made fails the test.
void WriteTestFile(const std::string& name, const std::string& bytes);
// The whole file, or "<missing>" when it cannot be opened.
std::string ReadTestFile(const std::string& name);
