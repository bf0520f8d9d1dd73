// The five file-type radio buttons the Save and Batch pages share.
#pragma once

#include <QGroupBox>
#include <cstdint>
#include <functional>

class QButtonGroup;

namespace vornel {

class FileTypeRadios : public QGroupBox {
 public:
  // withTooltips: the Save page's radios explain each type.
  FileTypeRadios(QWidget* parent, bool withTooltips, std::function<void(std::int32_t)> chosen);
  // Unchecks all five, then checks the one of type (without telling).
  void check(std::int32_t type);

 private:
  QButtonGroup* group_;
};

}  // namespace vornel
