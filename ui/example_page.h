// CVornExample: the "Examples" page, a list of the example projects of the program
// folder; choosing one opens it.
#pragma once

#include <QWidget>

class QListWidget;

namespace vornel {

struct Engine;

class ExamplePage : public QWidget {
 public:
  ExamplePage(Engine& engine, QWidget* parent);
  void activated();

 private:
  Engine& engine_;
  QListWidget* list_;
  bool created_ = false;
};

}  // namespace vornel
