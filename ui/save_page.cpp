#include "ui/save_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/file_type_radios.h"
#include "ui/page_frame.h"

namespace vornel {

SavePage::SavePage(Engine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
  QGroupBox* group = framePage(this, 4, "Bitmap File property");
  auto* column = new QVBoxLayout(group);
  auto* intro = new QLabel(
      "If you finish creating font image, select image file type and press 'Save Image' Button.",
      group);
  intro->setWordWrap(true);
  column->addWidget(intro);

  auto* row = new QHBoxLayout;
  radios_ = new FileTypeRadios(
      group, true, [this](std::int32_t type) { show(saveTypeChosen(engine_, state_, type)); });
  auto* sizeGroup = new QGroupBox("Current file size(byte)", group);
  auto* sizeGrid = new QGridLayout(sizeGroup);
  auto* sizeLabel = new QLabel("Size", sizeGroup);
  size_ = named(new QLineEdit(sizeGroup), "Size", "It specify your image file length");
  size_->setReadOnly(true);
  sizeLabel->setBuddy(size_);
  auto* calculate = named(new QPushButton("Calculate", sizeGroup), "Calculate");
  sizeGrid->addWidget(sizeLabel, 0, 0);
  sizeGrid->addWidget(size_, 0, 1);
  sizeGrid->addWidget(calculate, 1, 1);
  auto* sizeColumn = new QVBoxLayout;
  sizeColumn->addWidget(sizeGroup);
  auto* save = named(new QPushButton("Save Image", group), "Save Image",
                     "Click to save the image you have made");
  save->setDefault(true);
  sizeColumn->addWidget(save, 0, Qt::AlignRight);
  sizeColumn->addStretch(1);
  row->addWidget(radios_, 0, Qt::AlignTop);
  row->addLayout(sizeColumn, 1);
  column->addLayout(row);
  column->addStretch(1);

  connect(calculate, &QPushButton::clicked, this,
          [this] { show(sizeCalculated(engine_, state_)); });
  connect(save, &QPushButton::clicked, this, [this] { saveImageClicked(engine_, state_); });
}

void SavePage::show(const SavePageView& view) {
  radios_->check(view.checkedType);
  size_->setText(QString::fromStdString(view.sizeText));
}

void SavePage::activated() {
  show(savePageActivated(engine_, state_));
}

}  // namespace vornel
