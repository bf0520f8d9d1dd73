// CCVornSave: the "Save Vornel" page: the file type, the size the file would have, and
// Save Image.
#pragma once

#include <QWidget>

#include "ui/logic/save_page.h"

class QLineEdit;

namespace vornel {

struct Engine;
class FileTypeRadios;

class SavePage : public QWidget {
 public:
  SavePage(Engine& engine, QWidget* parent);
  void activated();

 private:
  void show(const SavePageView& view);

  Engine& engine_;
  SavePageState state_;
  FileTypeRadios* radios_;
  QLineEdit* size_;
};

}  // namespace vornel
