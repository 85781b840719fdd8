#include "site_fixture.h"

namespace gvde::testkit {

SiteTest::SiteTest() : run_(config_, host_) {
  dir_.MakeSubdir("data");
  run_.folder = SiteFolder(dir_.WithSeparator());
  EXPECT_TRUE(run_.folder.OpenDataFolder());
}

Step SiteTest::WritePages(const Category& category) {
  RelateRecords(run_.game);
  return WriteRecordPages(run_, category, counts_);
}

std::string SiteTest::WriteLists(const Category& category, bool expectedOk) {
  RelateRecords(run_.game);
  PageFile page;
  EXPECT_TRUE(page.Create(dir_.File("category.htm")));
  const Step listed = category.lists(page);
  EXPECT_EQ(static_cast<bool>(listed), expectedOk);
  listsFailure_ = FailureOf(listed);
  EXPECT_TRUE(page.Close());
  return ReadFileText(dir_.File("category.htm"));
}

void SiteTest::LoseOutputFolder() { run_.folder = SiteFolder(dir_.File("missing") + "/"); }

std::string FailureOf(const Step& step) { return step.Failed() ? step.Message() : std::string(); }

}  // namespace gvde::testkit
