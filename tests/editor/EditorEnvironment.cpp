// The editor tests run headless, with HOME, TMPDIR and the data folder in one scratch folder of
// their own, so nothing the main window writes (work folders, history, configuration) leaves it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "EditorTestSupport.h"

namespace {

std::string& ScratchRoot()
{
    static std::string root;
    return root;
}

class EditorEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-editor-XXXXXX";
        ScratchRoot() = mkdtemp(pattern.data()) ? pattern : std::string();
        ::setenv("QUILL_BACKEND", "headless", 1);
        ::setenv("HOME", ScratchRoot().c_str(), 1);
        ::setenv("TMPDIR", ScratchRoot().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (ScratchRoot() + "/data").c_str(), 1);
        ::unsetenv("XDG_DESKTOP_DIR");
    }
    void TearDown() override
    {
        std::error_code ignored;
        if (!ScratchRoot().empty())
            std::filesystem::remove_all(ScratchRoot(), ignored);
    }
};
[[maybe_unused]] testing::Environment* const kEditor = testing::AddGlobalTestEnvironment(new EditorEnvironment);

}  // namespace

std::string EditorScratchFolder()
{
    return ScratchRoot();
}

std::string FreshFolder(const std::string& name)
{
    const std::string folder = ScratchRoot() + "/" + name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}
