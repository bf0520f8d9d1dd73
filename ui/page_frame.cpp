#include "ui/page_frame.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

namespace vornel {

QGroupBox* framePage(QWidget* page, int pictureIndex, const QString& groupTitle) {
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(8, 8, 8, 8);
  auto* strip = new QLabel(page);
  strip->setFixedSize(kPictureWidth, kPictureHeight);
  strip->setPixmap(QPixmap(QString(":/pictures/page%1.bmp").arg(pictureIndex)));
  strip->setAccessibleName("Picture");
  row->addWidget(strip, 0, Qt::AlignTop);
  auto* group = new QGroupBox(groupTitle, page);
  row->addWidget(group, 1);
  return group;
}

}  // namespace vornel
