// The thirteen effect parameter dialogs. Each edits its type's working record
// (engine.doc.effectDefaults[type]) directly and at once, previewing as it goes; the
// caller decides what reaches a style (see ui/logic/effect_dialog.h).
#pragma once

#include <cstdint>
#include <functional>

class QWidget;

namespace vornel {

struct Engine;

// Runs the dialog of type modally. Returns whether it was closed with OK. A custom
// preview, when given, runs instead of the type's own.
bool runEffectDialog(QWidget* parent, Engine& engine, std::int32_t type,
                     const std::function<void()>& customPreview = {});

}  // namespace vornel
