// CVornBgd and CVornBulletin: the "Background" page (the Template layer behind the
// message, the background colour, GIF transparency and the pressed image) and the
// "Bulletin" page (the mark beside the message). Both choose the layer's kind, edit its
// text and font or its box through "Properties", and give it a style.
#pragma once

#include <QWidget>
#include <cstdint>

#include "ui/logic/layer_pages.h"

class QButtonGroup;
class QCheckBox;
class QListWidget;
class QPushButton;

namespace vornel {

struct Engine;

class LayerPage : public QWidget {
 public:
  // index: kTemplateLayer for the Background page, kBulletinLayer for the Bulletin page.
  LayerPage(Engine& engine, int index, QWidget* parent);
  void activated();

 private:
  void show(const LayerPageView& view);
  void enableLayerControls(bool enabled);
  void showSwatch(std::uint32_t color);
  void properties();
  void editStyle();

  Engine& engine_;
  int index_;
  QButtonGroup* kinds_;
  QPushButton* properties_;
  QListWidget* styles_;
  QPushButton* editStyle_;
  // The Background page only.
  QWidget* swatch_ = nullptr;
  QCheckBox* transparent_ = nullptr;
  QCheckBox* pressed_ = nullptr;
};

}  // namespace vornel
