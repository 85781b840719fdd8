#include "site_fixture.h"

namespace gvde::testkit {

SiteTest::SiteTest() : run_(config_, host_) {
  dir_.MakeSubdir("data");
  run_.folder = SiteFolder(dir_.WithSeparator());
  EXPECT_TRUE(run_.folder.OpenDataFolder());
}

Step SiteTest::WritePages(const Category& category) {
  RelateRecords(run_.game);
  const PipelineStage stage(run_.files);
  Step written = WriteRecordPages(run_, category, counts_);
  return written ? run_.files.Drain() : written;
}

std::string SiteTest::WriteLists(const Category& category, bool expectedOk) {
  RelateRecords(run_.game);
  PageFile page;
  ListPages pages;
  category.lists(page, pages);
  const PipelineStage stage(run_.files);
  Step listed = Step::Next();
  for (ListPage& list : pages) {
    if (listed) listed = run_.files.AddPage(std::move(list.fileName), std::move(list.make));
  }
  if (listed) listed = run_.files.Drain();
  EXPECT_EQ(static_cast<bool>(listed), expectedOk);
  listsFailure_ = FailureOf(listed);
  return std::string(page.Text());
}

void SiteTest::LoseOutputFolder() { run_.folder = SiteFolder(dir_.File("missing") + "/"); }

std::string FailureOf(const Step& step) { return step.Failed() ? step.Message() : std::string(); }

}  // namespace gvde::testkit
