#include "ui/batch_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/engine.h"
#include "ui/file_type_radios.h"
#include "ui/page_frame.h"

namespace vornel {

BatchPage::BatchPage(Engine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  QGroupBox* group = framePage(this, 5, "Batch Creation");
  auto* grid = new QGridLayout(group);

  text_ = named(new QPlainTextEdit(group), "Batch message");
  text_->setTabChangesFocus(true);
  text_->setPlaceholderText("Type a message, then press \"Add to Batch List\"");
  auto* add = named(new QPushButton("Add to Batch List", group), "Add to Batch List");
  grid->addWidget(text_, 0, 0, 1, 2);
  grid->addWidget(add, 1, 0, 1, 2, Qt::AlignRight);

  auto* strings = new QGroupBox("Batch String Creation", group);
  auto* stringsGrid = new QGridLayout(strings);
  list_ = named(new QListWidget(strings), "Batch list");
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  stringsGrid->addWidget(list_, 0, 0, 5, 1);
  const char* commands[] = {"New", "Load", "Save", "Delete"};
  QPushButton* buttons[4];
  for (int i = 0; i < 4; ++i) {
    buttons[i] = named(new QPushButton(commands[i], strings), commands[i]);
    stringsGrid->addWidget(buttons[i], i, 1);
  }
  grid->addWidget(strings, 2, 0);

  radios_ = new FileTypeRadios(group, false,
                               [this](std::int32_t type) { batchTypeChosen(engine_, type); });
  grid->addWidget(radios_, 2, 1, Qt::AlignTop);
  auto* saveImages = named(new QPushButton("Save Images", group), "Save Images");
  grid->addWidget(saveImages, 3, 0, 1, 2, Qt::AlignRight);
  grid->setRowStretch(0, 1);
  grid->setRowStretch(2, 2);

  connect(text_, &QPlainTextEdit::textChanged, this, &BatchPage::textEdited);
  connect(add, &QPushButton::clicked, this, [this] {
    batchAdd(state_, text_->toPlainText().toStdString());
    showList();
    // The box is emptied for the next message; the job keeps the one just added.
    const QSignalBlocker quiet(text_);
    text_->clear();
    text_->setFocus();
  });
  connect(buttons[0], &QPushButton::clicked, this, [this] {
    batchNew(engine_, state_);
    showList();
  });
  connect(buttons[1], &QPushButton::clicked, this, &BatchPage::load);
  connect(buttons[2], &QPushButton::clicked, this, &BatchPage::save);
  connect(buttons[3], &QPushButton::clicked, this, [this] {
    std::vector<int> selected;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
      selected.push_back(index.row());
    batchDelete(state_, selected);
    showList();
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    showText(batchEntryActivated(engine_, state_, list_->row(item)));
  });
  connect(saveImages, &QPushButton::clicked, this, [this] { batchSaveImages(engine_, state_); });
}

void BatchPage::showList() {
  list_->clear();
  for (const std::string& entry : state_.list) {
    // Entries may hold line breaks; the list shows each on one row.
    QString shown = QString::fromStdString(entry);
    shown.replace('\n', QString(" / "));
    list_->addItem(shown);
  }
}

void BatchPage::showText(const std::string& text) {
  const QSignalBlocker quiet(text_);
  text_->setPlainText(QString::fromStdString(text));
}

void BatchPage::activated() {
  BatchPageView view = batchPageActivated(engine_, state_);
  showText(view.messageText);
  radios_->check(view.checkedType);
  showList();
}

void BatchPage::left() {
  batchPageLeft(engine_);
}

void BatchPage::load() {
  batchLoad(engine_, state_);
  showList();
}

void BatchPage::save() {
  batchSave(engine_, state_);
}
void BatchPage::saveAs() {
  batchSaveAs(engine_, state_);
}

void BatchPage::textEdited() {
  const std::string typed = text_->toPlainText().toStdString();
  batchTextChanged(engine_, typed);
  const std::string& taken = engine_.doc.layer(kMessageLayer).text;
  if (taken != typed) {
    showText(taken);
    text_->moveCursor(QTextCursor::End);
  }
}

}  // namespace vornel
