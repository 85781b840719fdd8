// What every site test shares: a run over a fresh output folder, the page head the pages must
// start with, and helpers that write a category's pages or lists and read them back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "site/record_pages.h"
#include "site/run.h"
#include "testkit/expected_page.h"
#include "testkit/recording_host.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {

class SiteTest : public ::testing::Test {
 protected:
  SiteTest();

  // The record pages (and pictures) of `category`, all settled; names are counted into counts_.
  Step WritePages(const Category& category);
  // Calls the category's own lists with a category page of its own, writes their list pages and
  // returns what they wrote into the category page; `expectedOk` is whether the list pages must
  // be written. A failure's message goes to listsFailure_.
  std::string WriteLists(const Category& category, bool expectedOk = true);
  // Points the run at an output folder that does not exist, so no page can be created.
  void LoseOutputFolder();

  std::string Data(const std::string& name) const { return ReadFileText(dir_.File("data/" + name)); }
  bool DataExists(const std::string& name) const { return FileExists(dir_.File("data/" + name)); }

  TempDir dir_;
  Configuration config_;
  RecordingHost host_;
  gvde::Run run_;
  FirstCharCount counts_;
  std::string listsFailure_;
};

// The message of a failed step, or "" when it did not fail.
std::string FailureOf(const Step& step);

}  // namespace gvde::testkit
