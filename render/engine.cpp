#include "render/engine.h"

#include "core/preferences.h"
#include "platform/app_dir.h"
#include "platform/profile.h"

namespace vornel {

void startEngine(Engine& engine, const StartOptions& options) {
  initializeDocument(engine.doc);
  engine.doc.prefs =
      loadPreferences(options.profilePath.empty() ? defaultProfilePath() : options.profilePath);
  engine.doc.appDirectory = resolveAppDirectory(options.appDirOption);
}

}  // namespace vornel
