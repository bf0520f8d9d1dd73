// CCVornFont: the "Message" page: the message text, its font, its style from the
// program folder's list, and the quick colour or texture change.
#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vornel {

struct Engine;
struct MessagePageView;

class MessagePage : public QWidget {
 public:
  MessagePage(Engine& engine, QWidget* parent);
  void activated();
  void left();

 private:
  void show(const MessagePageView& view);
  void textEdited();
  void chooseFont();
  void editStyle();
  void changeColorOrTexture();

  Engine& engine_;
  bool created_ = false;
  QPlainTextEdit* text_;
  QLineEdit* face_;
  QPushButton* font_;
  QPushButton* changeColor_;
  QListWidget* styles_;
  QPushButton* editStyle_;
};

}  // namespace vornel
