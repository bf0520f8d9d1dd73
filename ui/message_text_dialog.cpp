#include "ui/message_text_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/engine.h"
#include "ui/dialog_place.h"
#include "ui/font_and_color.h"
#include "ui/logic/layer_pages.h"
#include "ui/page_frame.h"

namespace vornel {

bool runMessageTextDialog(QWidget* parent, Engine& engine) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Message");
  auto* column = new QVBoxLayout(&dialog);
  auto* text = named(new QPlainTextEdit(&dialog), "Message");
  text->setTabChangesFocus(true);
  text->setPlainText(QString::fromStdString(messageDialogOpened(engine)));
  auto* font = named(new QPushButton("Font", &dialog), "Font");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  column->addWidget(text, 1);
  column->addWidget(font, 0, Qt::AlignLeft);
  column->addWidget(buttons);
  dialog.resize(360, 200);
  moveBesidePreview(&dialog, parent);

  QObject::connect(text, &QPlainTextEdit::textChanged, &dialog, [&] {
    const std::string typed = text->toPlainText().toStdString();
    messageDialogTextChanged(engine, typed);
    if (engine.doc.ws.message != typed) {  // cut to the text field's width
      const QSignalBlocker quiet(text);
      text->setPlainText(QString::fromStdString(engine.doc.ws.message));
      text->moveCursor(QTextCursor::End);
    }
  });
  QObject::connect(font, &QPushButton::clicked, &dialog, [&] {
    if (std::optional<LogFont> chosen = askFont(&dialog, engine.doc.ws.font))
      messageDialogFontChosen(engine, *chosen);
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vornel
