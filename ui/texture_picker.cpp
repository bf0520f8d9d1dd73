#include "ui/texture_picker.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include "imageio/image_by_name.h"
#include "ui/page_frame.h"
#include "ui/picture_image.h"

namespace vornel {

namespace {

QPixmap previewOf(const std::string& path) {
  DibImage image;
  if (!readImageByName(image, path) || !convertTo24Bits(image)) return {};
  return QPixmap::fromImage(imageOf(image.toRgb()));
}

}  // namespace

std::optional<std::string> pickTexture(QWidget* parent, const std::string& folder,
                                       const std::string& current, const std::string& pattern) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Open Bitmap");
  auto* grid = new QGridLayout(&dialog);
  auto* filesLabel = new QLabel("Image Files", &dialog);
  auto* list = named(new QListWidget(&dialog), "Image Files");
  filesLabel->setBuddy(list);
  auto* previewLabel = new QLabel("Preview", &dialog);
  auto* preview = named(new QLabel(&dialog), "Preview");
  preview->setFixedSize(160, 160);
  preview->setAlignment(Qt::AlignCenter);
  preview->setFrameShape(QFrame::Box);
  auto* hint = new QLabel(
      "If you want to add your own bitmap, place it in /hellovornel/bitmap folder.", &dialog);
  hint->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  grid->addWidget(filesLabel, 0, 0);
  grid->addWidget(previewLabel, 0, 1);
  grid->addWidget(list, 1, 0);
  grid->addWidget(preview, 1, 1);
  grid->addWidget(hint, 2, 0, 1, 2);
  grid->addWidget(buttons, 3, 0, 1, 2);

  const QString dir = QString::fromStdString(folder);
  const QStringList filter = {pattern == "*.*" ? QString("*") : QString::fromStdString(pattern)};
  for (const QString& name :
       QDir(dir).entryList(filter, QDir::Files, QDir::Name | QDir::IgnoreCase))
    list->addItem(name);
  const QString start = QString::fromStdString(current);
  for (int i = 0; i < list->count() && !start.isEmpty(); ++i) {
    if (list->item(i)->text().startsWith(start)) {
      const QSignalBlocker quiet(list);
      list->setCurrentRow(i);
      break;
    }
  }

  std::string chosen = current;
  QObject::connect(list, &QListWidget::currentItemChanged, &dialog,
                   [&](QListWidgetItem* item, QListWidgetItem*) {
                     if (!item) return;
                     chosen = item->text().toStdString();
                     const QPixmap picture = previewOf(folder + chosen);
                     preview->setPixmap(picture.isNull()
                                            ? QPixmap()
                                            : picture.scaled(preview->size(), Qt::KeepAspectRatio,
                                                             Qt::FastTransformation));
                   });
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return chosen;
}

}  // namespace vornel
