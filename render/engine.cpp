#include "render/engine.h"

#include <string>

#include "core/preferences.h"
#include "platform/app_dir.h"
#include "platform/font_cache.h"
#include "platform/profile.h"

namespace vornel {

void startEngine(Engine& engine, const StartOptions& options) {
  initializeDocument(engine.doc);
  engine.profilePath = options.profilePath.empty() ? defaultProfilePath() : options.profilePath;
  engine.doc.prefs = loadPreferences(engine.profilePath);
  engine.doc.appDirectory = resolveAppDirectory(options.appDirOption);
  engine.text.setFontCacheFile(defaultFontCachePath());
}

EffectKernel& starKernel(Engine& engine, int kind) {
  const std::size_t k = static_cast<std::size_t>(kind);
  if (!engine.starsRead[k]) {
    loadStarKernel(engine.doc.appDirectory + "star" + std::to_string(k) + ".lit", engine.stars[k]);
    engine.starsRead[k] = true;
  }
  return engine.stars[k];
}

}  // namespace vornel
