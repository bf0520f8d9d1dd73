#include "ui/file_type_radios.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/job.h"
#include "ui/page_frame.h"

namespace vornel {

FileTypeRadios::FileTypeRadios(QWidget* parent, bool withTooltips,
                               std::function<void(std::int32_t)> chosen)
    : QGroupBox("File type", parent), group_(new QButtonGroup(this)) {
  const struct {
    std::int32_t type;
    const char* caption;
    const char* tooltip;
  } radios[] = {{kOutputGif16, "16 Color GIF", "16 color GIF image"},
                {kOutputGif256, "256 Color GIF", "256 color GIF image"},
                {kOutputJpeg, "JPG(true color)", "True color JPG image"},
                {kOutputBmp, "Windows BMP", "True color BMP image"},
                {kOutputPng, "PNG (true alpha)", "True color PNG image, transparent with alpha"}};
  auto* column = new QVBoxLayout(this);
  for (const auto& r : radios) {
    auto* radio = named(new QRadioButton(r.caption, this), r.caption,
                        withTooltips ? QString(r.tooltip) : QString());
    group_->addButton(radio, r.type);
    column->addWidget(radio);
  }
  connect(group_, &QButtonGroup::idClicked, this, [chosen](int id) { chosen(id); });
}

void FileTypeRadios::check(std::int32_t type) {
  if (QAbstractButton* radio = group_->button(type)) radio->setChecked(true);
}

}  // namespace vornel
