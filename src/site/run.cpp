#include "site/run.h"

#include "site/run_messages.h"

namespace gvde {

void Run::Release() {
  game.animationGroups.clear();
  game.animationGroups.shrink_to_fit();
  monsterFrames.Clear();
  archives.CloseArchives();
}

Step Run::PictureFailed(const std::string& question, const std::string& detail) {
  if (outputLimit.Reached()) return Step::Fail(std::string(kOutputTooLarge));
  ++picturesNotMade;
  return host.AskExit(question, detail) ? Step::Stop() : Step::Next();
}

void RunError(Run& run, const std::string& message, const std::string& detail) {
  run.Release();
  run.host.ShowError(message, detail);
}

}  // namespace gvde
