#include "ui/layer_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/job.h"
#include "render/engine.h"
#include "ui/edit_style_dialog.h"
#include "ui/effect_dialog.h"
#include "ui/font_and_color.h"
#include "ui/logic/style_editor.h"
#include "ui/message_text_dialog.h"
#include "ui/page_frame.h"

namespace vornel {

LayerPage::LayerPage(Engine& engine, int index, QWidget* parent)
    : QWidget(parent), engine_(engine), index_(index) {
  const bool background = index == kTemplateLayer;
  QGroupBox* group =
      framePage(this, background ? 2 : 3, background ? "Background Option" : "Bulletin Option");
  auto* grid = new QGridLayout(group);

  auto* kindGroup = new QGroupBox("Template", group);
  auto* kindColumn = new QVBoxLayout(kindGroup);
  kinds_ = new QButtonGroup(this);
  struct Kind {
    const char* caption;
    std::int32_t kind;
  };
  const std::vector<Kind> kinds =
      background ? std::vector<Kind>{{"None", kLayerNone},
                                     {"with Font", kLayerFont},
                                     {"Streached Font", kLayerStretchedFont},
                                     {"Round Box", kLayerRoundBox}}
                 : std::vector<Kind>{
                       {"None", kLayerNone}, {"Font", kLayerFont}, {"Round Box", kLayerRoundBox}};
  for (const Kind& k : kinds) {
    auto* radio = named(new QRadioButton(k.caption, kindGroup), k.caption);
    kinds_->addButton(radio, k.kind);
    kindColumn->addWidget(radio);
  }
  properties_ = named(new QPushButton("Properties", kindGroup), "Properties");
  kindColumn->addWidget(properties_);
  kindColumn->addStretch(1);
  grid->addWidget(kindGroup, 0, 0);

  auto* left = new QVBoxLayout;
  if (background) {
    auto* colorGroup = new QGroupBox("BGD Color", group);
    auto* colorRow = new QHBoxLayout(colorGroup);
    swatch_ = named(new QLabel(colorGroup), "Background color");
    swatch_->setFixedSize(40, 22);
    auto* color = named(new QPushButton("Color", colorGroup), "Color",
                        "Click to change the background color");
    colorRow->addWidget(swatch_);
    colorRow->addWidget(color);
    left->addWidget(colorGroup);
    transparent_ = named(new QCheckBox("GIF Transparent", group), "GIF Transparent");
    pressed_ = named(new QCheckBox("Create Button Bitmap", group), "Create Button Bitmap",
                     "Check to generate pressed image for button");
    left->addWidget(transparent_);
    left->addWidget(pressed_);
    connect(color, &QPushButton::clicked, this, [this] {
      const QColor chosen = askColor(this, engine_.doc.ws.backgroundColor, "Color");
      if (!chosen.isValid()) return;
      backgroundColorChosen(engine_, colorRefOf(chosen));
      showSwatch(engine_.doc.ws.backgroundColor);
    });
    connect(transparent_, &QCheckBox::clicked, this,
            [this](bool on) { transparencyChosen(engine_, on); });
    connect(pressed_, &QCheckBox::clicked, this,
            [this](bool on) { pressedImageChosen(engine_, on); });
  }
  left->addStretch(1);
  grid->addLayout(left, 1, 0);

  auto* styleColumn = new QVBoxLayout;
  auto* styleLabel = new QLabel("Vornel Style", group);
  styles_ = named(new QListWidget(group), "Vornel Style");
  styleLabel->setBuddy(styles_);
  editStyle_ = named(new QPushButton("Edit Style", group), "Edit Style");
  styleColumn->addWidget(styleLabel);
  styleColumn->addWidget(styles_, 1);
  styleColumn->addWidget(editStyle_);
  grid->addLayout(styleColumn, 0, 1, 2, 1);
  grid->setColumnStretch(1, 1);

  connect(kinds_, &QButtonGroup::idClicked, this,
          [this](int kind) { enableLayerControls(layerKindChosen(engine_, index_, kind)); });
  connect(properties_, &QPushButton::clicked, this, &LayerPage::properties);
  connect(editStyle_, &QPushButton::clicked, this, &LayerPage::editStyle);
  connect(styles_, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* item, QListWidgetItem*) {
            if (!item) return;
            LayerPageView view;
            if (layerStyleChosen(engine_, index_, item->text().toStdString(), view) ==
                    StyleChoice::Abandoned ||
                !swatch_)
              return;
            // The style's background line may change the colour and the transparency.
            showSwatch(view.swatchColor);
            transparent_->setChecked(view.transparent);
          });
}

void LayerPage::showSwatch(std::uint32_t color) {
  const QColor shown = colorOf(color);
  swatch_->setStyleSheet(
      QString("background-color: %1; border: 1px solid black;").arg(shown.name()));
  swatch_->setToolTip(shown.name());
}

void LayerPage::enableLayerControls(bool enabled) {
  styles_->setEnabled(enabled);
  properties_->setEnabled(enabled);
  editStyle_->setEnabled(enabled);
}

void LayerPage::show(const LayerPageView& view) {
  if (QAbstractButton* radio = kinds_->button(view.kind)) radio->setChecked(true);
  enableLayerControls(view.layerControlsEnabled);
  const QSignalBlocker quiet(styles_);
  const QString current = styles_->currentItem() ? styles_->currentItem()->text() : QString();
  styles_->clear();
  for (const std::string& name : view.styles) styles_->addItem(QString::fromStdString(name));
  const auto same = styles_->findItems(current, Qt::MatchExactly);
  if (!current.isEmpty() && !same.isEmpty()) styles_->setCurrentItem(same.first());
  if (swatch_) {
    showSwatch(view.swatchColor);
    transparent_->setChecked(view.transparent);
    pressed_->setChecked(view.pressed);
  }
}

void LayerPage::activated() {
  show(layerPageActivated(engine_, index_));
}

void LayerPage::properties() {
  const LayerPropertiesSession session = layerPropertiesOpened(engine_, index_);
  bool ok = false;
  if (session.opened == LayerProperties::Text)
    ok = runMessageTextDialog(this, engine_);
  else if (session.opened == LayerProperties::RoundBox)
    ok = runEffectDialog(this, engine_, kRoundBoxEffect,
                         [this] { layerBoxPreviewed(engine_, index_); });
  layerPropertiesClosed(engine_, index_, session, ok);
}

void LayerPage::editStyle() {
  editLayerStyleWithEditor(engine_, index_, [this] { return runEditStyleDialog(this, engine_); });
  show(layerPageActivated(engine_, index_));
}

}  // namespace vornel
