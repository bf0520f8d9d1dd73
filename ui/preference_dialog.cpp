#include "ui/preference_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "render/engine.h"
#include "ui/logic/sheet.h"
#include "ui/page_frame.h"

namespace vornel {

bool runPreferenceDialog(QWidget* parent, Engine& engine) {
  const PreferenceChoice current = preferenceDialogOpened(engine.doc);
  QDialog dialog(parent);
  dialog.setWindowTitle("Preference");
  auto* column = new QVBoxLayout(&dialog);

  auto* fontGroup = new QGroupBox("Font", &dialog);
  auto* fontColumn = new QVBoxLayout(fontGroup);
  auto* antialiasing = named(new QCheckBox("Anti-Aliasing", fontGroup), "Anti-Aliasing");
  auto* clipBlank = named(new QCheckBox("Cliping blank area", fontGroup), "Cliping blank area");
  antialiasing->setChecked(current.antialiasing);
  clipBlank->setChecked(current.clipBlank);
  fontColumn->addWidget(antialiasing);
  fontColumn->addWidget(clipBlank);
  column->addWidget(fontGroup);

  auto* methodGroup = new QGroupBox("Color reduce method", &dialog);
  auto* methodColumn = new QVBoxLayout(methodGroup);
  auto* methods = new QButtonGroup(&dialog);
  const char* captions[] = {"Popularity algorithm", "Optimized median cut"};
  for (int m = 0; m < 2; ++m) {
    auto* radio = named(new QRadioButton(captions[m], methodGroup), captions[m]);
    radio->setChecked(current.reduceColorMethod == m);
    methods->addButton(radio, m);
    methodColumn->addWidget(radio);
  }
  QObject::connect(methods, &QButtonGroup::idClicked, &dialog,
                   [&engine](int m) { preferenceMethodClicked(engine, m); });
  column->addWidget(methodGroup);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  column->addWidget(buttons);

  if (dialog.exec() != QDialog::Accepted) return false;
  preferenceConfirmed(engine, antialiasing->isChecked(), clipBlank->isChecked());
  return true;
}

}  // namespace vornel
