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
  // A missing or short kernel file leaves that star kind all zero: it draws nothing.
  for (std::size_t k = 0; k < engine.stars.size(); ++k)
    loadStarKernel(engine.doc.appDirectory + "star" + std::to_string(k) + ".lit", engine.stars[k]);
}

}  // namespace vornel
