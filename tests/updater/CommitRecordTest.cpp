#include "updater/CommitRecord.h"

#include "TestFolder.h"
#include "updater/UpdaterLog.h"

#include <gtest/gtest.h>

namespace {

// A record is read back only when every name in it stays inside the installation; a name that is
// not valid text is judged whole, never by the part before its first bad byte.
TEST(CommitRecord, ReadRefusesNamesOutsideTheInstallation)
{
    TestFolder folder;
    InitUpdaterLog("record", folder.Path() + "/", kLogInfo, 10);
    struct Case {
        const char* line;
        bool read;
    };
    const Case cases[] = {
        { "F\tplugins/a.so\taside\tfresh", true },
        { "D\tplugins", true },
        { "D\t../escaped", false },
        { "D\tok\xFF/../../escaped", false },
        { "F\tok\xC0/../../x\taside\tfresh", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteText(folder / CommitRecord::kFileName, std::string("commit\n") + c.line + "\n");
        CommitRecord record;
        EXPECT_EQ(CommitRecord::Read(folder.Path(), record), c.read);
    }
    ShutdownUpdaterLog();
}

}  // namespace
