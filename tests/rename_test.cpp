// The rename that never replaces, on each kind of file system: those with exclusive renames, those
// without (it links instead), and those without links either (it looks first).
#include <gtest/gtest.h>
#include <stdlib.h>

#include "d88writer.h"
#include "platform.h"
#include "run_program.h"

namespace {

TEST(RenameNoReplace, MovesButNeverReplaces) {
    for (const char* faults : {"", "noflag", "noflag nolink"}) {
        SCOPED_TRACE(faults);
        setenv("RENAME_FAULTS", faults, 1);
        TempFolder folder;
        const std::string a = folder / "a", b = folder / "b", c = folder / "c";
        fixture::WriteFile(a, {'A'});
        fixture::WriteFile(b, {'B'});
        EXPECT_EQ(RenameNoReplace(a.c_str(), b.c_str()), RenameResult::NameTaken);
        EXPECT_EQ(fixture::ReadFile(a), fixture::Bytes{'A'});
        EXPECT_EQ(fixture::ReadFile(b), fixture::Bytes{'B'});
        EXPECT_EQ(RenameNoReplace(a.c_str(), c.c_str()), RenameResult::Renamed);
        EXPECT_FALSE(NameExists(a.c_str()));
        EXPECT_EQ(fixture::ReadFile(c), fixture::Bytes{'A'});
        EXPECT_EQ(RenameNoReplace(a.c_str(), (folder / "d").c_str()), RenameResult::Failed);
    }
    unsetenv("RENAME_FAULTS");
}

}  // namespace
