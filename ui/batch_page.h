// CBatchPage: the "Batch Creation" page: a list of messages, its file, the file type,
// and "Save Images", which makes one picture per message.
#pragma once

#include <QWidget>

#include "ui/logic/batch_page.h"

class QListWidget;
class QPlainTextEdit;

namespace vornel {

struct Engine;
class FileTypeRadios;

class BatchPage : public QWidget {
 public:
  BatchPage(Engine& engine, QWidget* parent);
  void activated();
  void left();
  // The menu's Open, Save and Save As Batch Text List.
  void load();
  void save();
  void saveAs();

 private:
  void showList();
  void showText(const std::string& text);
  void textEdited();

  Engine& engine_;
  BatchPageState state_;
  QPlainTextEdit* text_;
  QListWidget* list_;
  FileTypeRadios* radios_;
};

}  // namespace vornel
