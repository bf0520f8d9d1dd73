#include "ui/coming_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/page_frame.h"

namespace vornel {

QWidget* makeComingPage(QWidget* parent, int pictureIndex) {
  auto* page = new QWidget(parent);
  const bool background = pictureIndex == 2;
  QGroupBox* group =
      framePage(page, pictureIndex, background ? "Background Option" : "Bulletin Option");
  auto* column = new QVBoxLayout(group);
  auto* kinds = new QGroupBox("Template", group);
  auto* kindColumn = new QVBoxLayout(kinds);
  const QStringList captions = background
                                   ? QStringList{"None", "with Font", "Streached Font", "Round Box"}
                                   : QStringList{"None", "Font", "Round Box"};
  for (const QString& caption : captions) {
    auto* radio = named(new QRadioButton(caption, kinds), caption);
    radio->setChecked(caption == "None");
    kindColumn->addWidget(radio);
  }
  kindColumn->addWidget(named(new QPushButton("Properties", kinds), "Properties"));
  column->addWidget(kinds);
  if (background) {
    column->addWidget(named(new QPushButton("Color", group), "Color"));
    column->addWidget(named(new QCheckBox("GIF Transparent", group), "GIF Transparent"));
    column->addWidget(named(new QCheckBox("Create Button Bitmap", group), "Create Button Bitmap"));
  }
  column->addWidget(new QLabel("Vornel Style", group));
  column->addWidget(named(new QListWidget(group), "Vornel Style"), 1);
  column->addWidget(named(new QPushButton("Edit Style", group), "Edit Style"));
  group->setEnabled(false);
  return page;
}

}  // namespace vornel
