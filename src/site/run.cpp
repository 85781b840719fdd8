#include "site/run.h"

namespace gvde {

void Run::Release() {
  game.animationGroups.clear();
  game.animationGroups.shrink_to_fit();
  game.image.reset();
  monsterFrames.Clear();
  archives.CloseArchives();
}

void RunError(Run& run, const std::string& message) {
  run.Release();
  run.host.ShowError(message);
}

}  // namespace gvde
