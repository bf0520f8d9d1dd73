// CEditStyleDialog ("Edit Style"): the editor of the working set's style. The thirteen
// effect types on the left, each row drawn from its picture; the applied effects in
// order on the right, reordered with "Go Up", "Go Down" or by dragging; the style saved
// to a style file. The pages load their layer into the working set before it opens and
// take the style back when it closes with OK (ui/logic/style_editor.h).
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "ui/logic/style_editor.h"

class QListWidget;
class QPushButton;

namespace vornel {

struct Engine;
class AppliedEffectList;

// Opens the effect dialog of type over parent; returns whether it was closed with OK.
using EffectDialogOpener = std::function<bool(QWidget* parent, std::int32_t type)>;

class EditStyleDialog : public QDialog {
 public:
  // openEffectDialog: how the effect dialogs are run; empty: the program's own.
  EditStyleDialog(Engine& engine, QWidget* parent, EffectDialogOpener openEffectDialog = {});

 private:
  void showView(const StyleEditorView& view);
  int selectedType() const;
  int selectedApplied() const;
  EffectDialogRunner runner();

  Engine& engine_;
  EffectDialogOpener openEffectDialog_;
  QListWidget* types_;
  AppliedEffectList* applied_;
};

// A page's Edit Style dialog over parent, modal and beside the preview window. Returns
// whether it was closed with OK.
bool runEditStyleDialog(QWidget* parent, Engine& engine);

}  // namespace vornel
