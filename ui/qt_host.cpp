#include "ui/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>

#include "imageio/dib_image.h"
#include "ui/logic/file_filters.h"
#include "ui/picture_image.h"
#include "ui/preview_window.h"

namespace vornel {

MsgAnswer QtHost::messageBox(const std::string& text, const std::string& caption,
                             MsgButtons buttons, MsgIcon icon) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MsgIcon::None:
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  // A question stays open under a busy cursor otherwise.
  const bool busy = busyDepth_ > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  switch (answer) {
    case QMessageBox::Ok:
      return MsgAnswer::Ok;
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    default:
      return MsgAnswer::Cancel;
  }
}

std::optional<std::string> QtHost::fileDialog(const FileDialogOptions& options, bool save) {
  QFileDialog dialog(parent_);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.askOverwrite);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  QStringList filters;
  for (const std::string& f : dialogNameFilters(options.filter))
    filters << QString::fromStdString(f);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!options.defaultSuffix.empty())
    dialog.setDefaultSuffix(QString::fromStdString(options.defaultSuffix));
  if (!options.proposedName.empty())
    dialog.selectFile(QString::fromStdString(options.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtHost::openFileDialog(const FileDialogOptions& options) {
  return fileDialog(options, false);
}

std::optional<std::string> QtHost::saveFileDialog(const FileDialogOptions& options) {
  return fileDialog(options, true);
}

void QtHost::setBusyCursor(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::BusyCursor);
  } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

bool QtHost::copyToClipboard(const std::vector<std::uint8_t>& packedDib) {
  DibImage image;
  image.block() = packedDib;
  if (!image.refreshFromBlock(image.bitsPerPixel() == 8)) return false;
  QImage picture = imageOf(image.toRgb());
  if (picture.isNull()) return false;
  QApplication::clipboard()->setImage(picture);
  return true;
}

void QtHost::refreshPreview() {
  if (preview_) preview_->refresh();
}

void QtHost::showPreviewTab(int tab) {
  if (preview_) preview_->showTab(tab);
}

}  // namespace vornel
