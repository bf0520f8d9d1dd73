#include "ui/example_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/logic/example_page.h"
#include "ui/page_frame.h"

namespace vornel {

ExamplePage::ExamplePage(Engine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  QGroupBox* group = framePage(this, 0, "Select Example");
  auto* column = new QVBoxLayout(group);
  auto* label = new QLabel("Example list", group);
  list_ = named(new QListWidget(group), "Example list");
  label->setBuddy(list_);
  column->addWidget(label);
  column->addWidget(list_, 1);
  for (const char* hint :
       {"Select your favorite VRN file. The approprite preview will appear window below.",
        "If you want to change message, background, bulletin goto Message, Background, "
        "Bulletin page respectively.",
        "And then goto Save page to select file type and save."}) {
    auto* text = new QLabel(hint, group);
    text->setWordWrap(true);
    column->addWidget(text);
  }
  // A selection by mouse or keyboard opens the example.
  connect(list_, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* item, QListWidgetItem*) {
            if (item) exampleChosen(engine_, item->text().toStdString());
          });
}

void ExamplePage::activated() {
  if (created_) return;
  created_ = true;
  const QSignalBlocker quiet(list_);
  for (const std::string& name : exampleList(engine_)) list_->addItem(QString::fromStdString(name));
}

}  // namespace vornel
