#include "ui/message_page.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/engine.h"
#include "ui/edit_style_dialog.h"
#include "ui/font_and_color.h"
#include "ui/logic/message_page.h"
#include "ui/page_frame.h"
#include "ui/texture_picker.h"

namespace vornel {

MessagePage::MessagePage(Engine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  QGroupBox* group = framePage(this, 1, "Message Option");
  auto* grid = new QGridLayout(group);

  auto* messageLabel = new QLabel("Message", group);
  text_ = named(new QPlainTextEdit(group), "Message", "Add your message here");
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  text_->setTabChangesFocus(true);
  messageLabel->setBuddy(text_);
  grid->addWidget(messageLabel, 0, 0);
  grid->addWidget(text_, 1, 0);

  auto* preference = new QGroupBox("Preference", group);
  auto* prefColumn = new QVBoxLayout(preference);
  face_ = named(new QLineEdit(preference), "Font face");
  face_->setReadOnly(true);
  face_->setAlignment(Qt::AlignCenter);
  // Shown, not typed into: it takes the window's colour, unlike the message box.
  face_->setStyleSheet("QLineEdit { background: palette(window); }");
  font_ = named(new QPushButton("Font", preference), "Font",
                "Click to change font type, size and attribute");
  changeColor_ =
      named(new QPushButton("Change Color or Texture", preference), "Change Color or Texture");
  prefColumn->addWidget(face_);
  prefColumn->addWidget(font_);
  prefColumn->addWidget(changeColor_);
  prefColumn->addStretch(1);

  // The style list takes the page's whole height beside the message and its font.
  auto* styleLabel = new QLabel("Vornel Style", group);
  styles_ = named(new QListWidget(group), "Vornel Style");
  styleLabel->setBuddy(styles_);
  editStyle_ = named(new QPushButton("Edit Style", group), "Edit Style");
  grid->addWidget(styleLabel, 0, 1);
  grid->addWidget(styles_, 1, 1, 2, 1);
  grid->addWidget(editStyle_, 3, 1);
  grid->addWidget(preference, 2, 0, 2, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);

  connect(text_, &QPlainTextEdit::textChanged, this, &MessagePage::textEdited);
  connect(font_, &QPushButton::clicked, this, &MessagePage::chooseFont);
  connect(changeColor_, &QPushButton::clicked, this, &MessagePage::changeColorOrTexture);
  connect(editStyle_, &QPushButton::clicked, this, &MessagePage::editStyle);
  connect(styles_, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* item, QListWidgetItem*) {
            if (!item) return;
            MessagePageView view;
            if (messageStyleChosen(engine_, item->text().toStdString(), view))
              changeColor_->setEnabled(view.changeColorEnabled);
          });
}

void MessagePage::show(const MessagePageView& view) {
  const QSignalBlocker quietText(text_);
  const QString text = QString::fromStdString(view.text);
  if (text_->toPlainText() != text) text_->setPlainText(text);
  face_->setText(QString::fromStdString(view.faceName));
  changeColor_->setEnabled(view.changeColorEnabled);
  const QSignalBlocker quietList(styles_);
  styles_->clear();
  for (const std::string& name : view.styles) styles_->addItem(QString::fromStdString(name));
  // The list is filled again with the layer's own style marked, if it is one of them.
  const auto same = styles_->findItems(QString::fromStdString(view.styleEntry), Qt::MatchExactly);
  if (!view.styleEntry.empty() && !same.isEmpty()) styles_->setCurrentItem(same.first());
}

void MessagePage::activated() {
  if (!created_) {
    created_ = true;
    show(messagePageCreated(engine_));
  }
  show(messagePageActivated(engine_));
}

void MessagePage::left() {
  messagePageLeft(engine_);
}

void MessagePage::textEdited() {
  const std::string typed = text_->toPlainText().toStdString();
  messageTextChanged(engine_, typed);
  // The message holds 299 bytes: the box shows what was taken.
  const std::string& taken = engine_.doc.layer(kMessageLayer).text;
  if (taken != typed) {
    const QSignalBlocker quiet(text_);
    text_->setPlainText(QString::fromStdString(taken));
    text_->moveCursor(QTextCursor::End);
  }
}

void MessagePage::chooseFont() {
  std::optional<LogFont> chosen = askFont(this, engine_.doc.layer(kMessageLayer).font);
  if (!chosen) return;
  face_->setText(QString::fromStdString(messageFontChosen(engine_, *chosen)));
}

void MessagePage::editStyle() {
  show(messageStyleEdited(engine_, [this] { return runEditStyleDialog(this, engine_); }));
}

void MessagePage::changeColorOrTexture() {
  QuickFill fill = quickFillFor(engine_.doc);
  if (fill.kind == QuickFill::Texture) {
    std::optional<std::string> name =
        pickTexture(this, fill.textureFolder, fill.textureName, "*.*");
    if (name) quickTextureChosen(engine_, *name);
  } else if (fill.kind == QuickFill::Color) {
    const QColor color = askColor(this, fill.color, "Color");
    if (color.isValid()) quickColorChosen(engine_, colorRefOf(color));
  } else {
    return;
  }
  quickFillFinished(engine_);
}

}  // namespace vornel
