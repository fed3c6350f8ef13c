#include <gtest/gtest.h>

#include <QFile>

#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

// The working copy is written without waiting for the disk, so a crash of the machine can leave
// it damaged; the next run must still start, from the blank site it would start from anyway.
TEST(WorkingCopyTest, ADamagedWorkingCopyIsMadeAgainAtStart) {
  struct Case {
    const char* what;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"no database at all", QByteArray("not a database, only the remains of one")},
      {"a header and nothing after it",
       QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\xff')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TestHome home;
    QFile file(home.Folder().WorkingCopy());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.bytes);
    file.close();

    testing::ScriptedPrompter prompter;
    Workspace workspace(home.Folder(), prompter);
    ASSERT_NO_THROW(workspace.OpenTables());
    workspace.StartSession();
    site::Table& site = workspace.Doc().Site();
    site.First();
    EXPECT_EQ(site.RecordCount(), 1);
    EXPECT_EQ(site.Text("City"), " ");
    EXPECT_EQ(workspace.Doc().Db().Count("Panels"), 0);
    EXPECT_TRUE(prompter.Warnings().isEmpty());
  }
}

}  // namespace
}  // namespace velmora::workspace
