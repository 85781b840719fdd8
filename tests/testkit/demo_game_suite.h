// A test suite that shares one demo game, written once for the suite, and its configuration.
#pragma once

#include <gtest/gtest.h>

#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"
#include "testkit/whole_run.h"

namespace gvde::testkit {

class DemoGameSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    ASSERT_TRUE(demogame::WriteDemoGame(scratch_->path(), demogame::DemoOptions{}, &summary_));
    configuration_ = new Configuration(LoadDemoConfiguration(scratch_->path()));
  }
  static void TearDownTestSuite() {
    delete configuration_;
    configuration_ = nullptr;
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(configuration_ != nullptr) << "no demo game"; }

  static inline TempDir* scratch_ = nullptr;
  static inline demogame::DemoSummary summary_;
  static inline Configuration* configuration_ = nullptr;
};

}  // namespace gvde::testkit
