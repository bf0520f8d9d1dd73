#include "ui/effect_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <vector>

#include "render/engine.h"
#include "ui/color_swatch.h"
#include "ui/dialog_place.h"
#include "ui/direction_picker.h"
#include "ui/font_and_color.h"
#include "ui/logic/direction_picker.h"
#include "ui/logic/effect_dialog.h"
#include "ui/page_frame.h"
#include "ui/picture_image.h"
#include "ui/picture_pane.h"
#include "ui/shape_dialog.h"
#include "ui/texture_picker.h"
#include "ui/track_slider.h"

namespace vornel {

namespace {

// A label as it is shown (with its '&' key mark) and as a screen reader says it.
QString shown(const char* label) {
  return QString::fromUtf8(label);
}
QString spoken(const char* label) {
  return QString::fromUtf8(label).remove('&');
}

constexpr int kBoxWidth = 64;

// One effect type's dialog, built from its row of the dialog table. The widgets hold
// no values: every action goes to the dialog logic, and the controls are set again
// from what it returns.
class EffectDialog : public QDialog {
 public:
  EffectDialog(QWidget* parent, Engine& engine, std::int32_t type,
               const std::function<void()>& customPreview)
      : QDialog(parent), engine_(engine), logic_(engine, type, customPreview) {
    const DialogSpec& dialog = logic_.dialog();
    setWindowTitle(QString::fromUtf8(dialog.caption));
    auto* column = new QVBoxLayout(this);
    // The groups one under the other: the dialog stays narrow enough to stand beside
    // the main window and the preview.
    for (const GroupSpec& group : dialog.groups) column->addWidget(buildGroup(group));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
      logic_.accepted(textureBox_ ? textureBox_->text().toStdString() : std::string());
      accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    show(logic_.open());
    if (tilePane_) showTileResult();
  }

 private:
  QGroupBox* buildGroup(const GroupSpec& group) {
    auto* box = new QGroupBox(shown(group.title), this);
    auto* row = new QHBoxLayout(box);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    int line = 0;
    for (const ControlSpec& control : group.controls) {
      if (control.kind == ControlKind::Slider && control.vertical)
        row->addLayout(uprightSlider(control, box));
      else
        addControl(control, box, grid, line);
    }
    row->addLayout(grid, 1);
    return box;
  }

  TrackSlider* makeSlider(const ControlSpec& c, QWidget* box, QLabel* label, QLineEdit*& edit) {
    auto* slider =
        named(new TrackSlider(c.vertical ? Qt::Vertical : Qt::Horizontal, box), spoken(c.label));
    slider->setRange(c.minimum, c.maximum);
    slider->setPageStep(c.page);
    if (c.vertical)
      slider->setMinimumHeight(110);
    else
      slider->setMinimumWidth(170);
    label->setBuddy(slider);
    edit = named(new QLineEdit(box), spoken(c.label) + " value");
    edit->setFixedWidth(kBoxWidth);
    if (c.format == BoxFormat::Digits)
      edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    if (c.rule == BoxRule::ShowOnly) edit->setReadOnly(true);
    const int index = static_cast<int>(sliders_.size());
    slider->onMoved = [this] { slidersMoved(); };
    connect(edit, &QLineEdit::textEdited, this, [this, index] { boxEdited(index, false); });
    connect(edit, &QLineEdit::editingFinished, this, [this, index] { boxEdited(index, true); });
    sliders_.push_back(slider);
    boxes_.push_back(edit);
    return slider;
  }

  QLayout* uprightSlider(const ControlSpec& c, QWidget* box) {
    auto* column = new QVBoxLayout;
    auto* label = new QLabel(shown(c.label), box);
    QLineEdit* edit = nullptr;
    TrackSlider* slider = makeSlider(c, box, label, edit);
    column->addWidget(label, 0, Qt::AlignHCenter);
    column->addWidget(slider, 1, Qt::AlignHCenter);
    column->addWidget(edit, 0, Qt::AlignHCenter);
    return column;
  }

  void addControl(const ControlSpec& c, QWidget* box, QGridLayout* grid, int& line) {
    switch (c.kind) {
      case ControlKind::Slider: {
        auto* label = new QLabel(shown(c.label), box);
        QLineEdit* edit = nullptr;
        TrackSlider* slider = makeSlider(c, box, label, edit);
        grid->addWidget(label, line, 0);
        grid->addWidget(slider, line, 1);
        grid->addWidget(edit, line++, 2);
        return;
      }
      case ControlKind::Color:
        addColor(c, box, grid, line);
        return;
      case ControlKind::Radio: {
        auto* radio = named(new QRadioButton(shown(c.label), box), spoken(c.label));
        const int param = c.param, value = c.value;
        connect(radio, &QRadioButton::toggled, this, [this, param, value](bool checked) {
          if (checked) show(logic_.radioChosen(param, value));
        });
        radios_.push_back({param, value, radio});
        grid->addWidget(radio, line++, 0, 1, 3);
        return;
      }
      case ControlKind::List: {
        auto* label = new QLabel(shown(c.label), box);
        auto* list = named(new QComboBox(box), spoken(c.label));
        for (const char* item : c.items) list->addItem(QString::fromUtf8(item));
        label->setBuddy(list);
        const int param = c.param;
        connect(list, &QComboBox::currentIndexChanged, this, [this, param](int index) {
          if (index >= 0) show(logic_.listChosen(param, index));
        });
        lists_.push_back({param, list});
        grid->addWidget(label, line, 0);
        grid->addWidget(list, line++, 1, 1, 2);
        return;
      }
      case ControlKind::TextureName:
      case ControlKind::TileTexture: {
        const bool tile = c.kind == ControlKind::TileTexture;
        bitmapButton_ = named(new QPushButton(shown(c.label), box), spoken(c.label),
                              "Choose a picture from the texture folder");
        textureBox_ = named(new QLineEdit(box), "Texture name");
        textureBox_->setMaxLength(kTextureNameSize - 1);
        textureBox_->setMinimumWidth(140);
        if (tile) textureBox_->setEnabled(false);
        connect(bitmapButton_, &QPushButton::clicked, this, [this] { chooseTexture(); });
        grid->addWidget(bitmapButton_, line, 0);
        grid->addWidget(textureBox_, line++, 1, 1, 2);
        // Tile's name box only shows the name; Draw's follows the fill mode.
        if (tile) bitmapButton_ = nullptr;
        return;
      }
      case ControlKind::DirectionPicker:
        picker_ = named(new DirectionPicker(box), spoken(c.label));
        picker_->onTracked = [this](double angle) {
          logic_.directionTracked(angle);
          paintPicker();
        };
        picker_->onReleased = [this](double angle) { show(logic_.directionReleased(angle)); };
        grid->addWidget(picker_, line++, 0, 1, 3, Qt::AlignHCenter);
        return;
      case ControlKind::AngleBox: {
        auto* label = new QLabel(shown(c.label), box);
        angleBox_ = named(new QLineEdit(box), spoken(c.label));
        angleBox_->setFixedWidth(kBoxWidth);
        label->setBuddy(angleBox_);
        connect(angleBox_, &QLineEdit::textEdited, this,
                [this](const QString& text) { show(logic_.angleEdited(text.toStdString())); });
        grid->addWidget(label, line, 0);
        grid->addWidget(angleBox_, line++, 1, Qt::AlignLeft);
        return;
      }
      case ControlKind::ShapeButton: {
        auto* button = named(new QPushButton(shown(c.label), box), spoken(c.label));
        connect(button, &QPushButton::clicked, this, [this] {
          if (std::optional<EffectRecord> values = runShapeDialog(this, engine_))
            show(logic_.shapeAccepted(*values));
        });
        grid->addWidget(button, line++, 0, 1, 3);
        return;
      }
      case ControlKind::TilePicture:
        tilePane_ = named(new PicturePane(box, QSize(200, 120)), spoken(c.label),
                          "The canvas cut into tiles of the chosen picture");
        grid->addWidget(tilePane_, line++, 0, 1, 3, Qt::AlignHCenter);
        return;
      case ControlKind::EmptyBox: {
        auto* label = new QLabel(shown(c.label), box);
        auto* edit = named(new QLineEdit(box), spoken(c.label));
        edit->setEnabled(false);
        edit->setFixedWidth(kBoxWidth);
        label->setBuddy(edit);
        grid->addWidget(label, line, 0);
        grid->addWidget(edit, line++, 1, Qt::AlignLeft);
        return;
      }
    }
  }

  // A colour: its button (captioned with the label, or with its own caption after the
  // label) and the swatch showing it.
  void addColor(const ControlSpec& c, QWidget* box, QGridLayout* grid, int& line) {
    auto* swatch = named(new ColorSwatch(box), spoken(c.label) + " swatch");
    const QString caption = shown(c.button ? c.button : c.label);
    auto* button = named(new QPushButton(caption, box), spoken(c.button ? c.button : c.label),
                         "Choose the " + spoken(c.label).toLower());
    const int param = c.param;
    const QString title = spoken(c.label);
    connect(button, &QPushButton::clicked, this, [this, param, title] {
      const QColor chosen =
          askColor(this, static_cast<std::uint32_t>(logic_.record().param(param)), title);
      if (chosen.isValid()) show(logic_.colorChosen(param, colorRefOf(chosen)));
    });
    swatches_.push_back({param, swatch});
    QLabel* label = nullptr;
    if (c.button) {
      label = new QLabel(shown(c.label), box);
      grid->addWidget(label, line, 0);
      grid->addWidget(swatch, line, 1, Qt::AlignLeft);
      grid->addWidget(button, line++, 2);
    } else {
      grid->addWidget(button, line, 0);
      grid->addWidget(swatch, line++, 1, Qt::AlignLeft);
    }
    if (logic_.dialog().type == kSingleColor) drawColor_ = button, drawSwatch_ = swatch;
    if (c.hidden) {
      swatch->hide();
      button->hide();
      if (label) label->hide();
    }
  }

  void show(const EffectDialogView& view) {
    for (std::size_t i = 0; i < sliders_.size(); ++i) {
      sliders_[i]->setValue(view.positions[i]);
      if (view.boxes[i]) boxes_[i]->setText(QString::fromStdString(*view.boxes[i]));
    }
    const EffectRecord& r = logic_.record();
    for (const Swatch& s : swatches_)
      s.swatch->setColor(static_cast<std::uint32_t>(r.param(s.param)));
    for (const Radio& radio : radios_) {
      const QSignalBlocker quiet(radio.button);
      if (r.param(radio.param) == radio.value) radio.button->setChecked(true);
    }
    for (const List& list : lists_) {
      const QSignalBlocker quiet(list.box);
      const int index = r.param(list.param);
      list.box->setCurrentIndex(index >= 0 && index < list.box->count() ? index : -1);
    }
    if (drawColor_) {
      drawColor_->setEnabled(view.colorEnabled);
      drawSwatch_->setEnabled(view.colorEnabled);
    }
    if (bitmapButton_) {
      bitmapButton_->setEnabled(view.bitmapEnabled);
      textureBox_->setEnabled(view.bitmapEnabled);
    }
    if (view.textureName && textureBox_)
      textureBox_->setText(QString::fromStdString(*view.textureName));
    if (view.angleText && angleBox_) angleBox_->setText(QString::fromStdString(*view.angleText));
    if (picker_) paintPicker();
    if (tilePane_ && view.previewed) showTileResult();
  }

  std::vector<int> positions() const {
    std::vector<int> out;
    for (const TrackSlider* slider : sliders_) out.push_back(slider->value());
    return out;
  }

  void slidersMoved() { show(logic_.sliderMoved(positions())); }

  // A number on its way ("", "-", "-.") is not read until the box is left, so that a
  // negative value can be typed without the box objecting to its first key.
  void boxEdited(int index, bool finished) {
    static const QStringList kStarts = {"", "-", "+", ".", "-.", "+."};
    const QString text = boxes_[static_cast<std::size_t>(index)]->text().trimmed();
    if (kStarts.contains(text) != finished) return;
    std::vector<std::string> texts;
    for (const QLineEdit* box : boxes_) texts.push_back(box->text().toStdString());
    show(logic_.boxEdited(index, texts));
  }

  void chooseTexture() {
    const std::string current =
        textureBox_ ? textureBox_->text().toStdString() : logic_.record().texture();
    std::optional<std::string> name =
        pickTexture(this, logic_.textureFolder(), current, logic_.texturePattern());
    if (name) show(logic_.textureChosen(*name));
  }

  void paintPicker() {
    const EffectRecord& r = logic_.record();
    picker_->setPicture(paintDirectionPane(
        picker_->width(), picker_->height(), static_cast<std::uint32_t>(r.param(1)),
        static_cast<std::uint32_t>(r.param(2)), r.param(6), logic_.angle()));
  }

  void showTileResult() {
    const DibImage& output = engine_.doc.outputImage;
    tilePane_->setPicture(output.empty() ? QImage() : imageOf(output.toRgb()));
  }

  struct Swatch {
    int param;
    ColorSwatch* swatch;
  };
  struct Radio {
    int param, value;
    QRadioButton* button;
  };
  struct List {
    int param;
    QComboBox* box;
  };

  Engine& engine_;
  EffectDialogLogic logic_;
  std::vector<TrackSlider*> sliders_;
  std::vector<QLineEdit*> boxes_;
  std::vector<Swatch> swatches_;
  std::vector<Radio> radios_;
  std::vector<List> lists_;
  QPushButton* drawColor_ = nullptr;  // Draw's "Color", for SingleColor only
  ColorSwatch* drawSwatch_ = nullptr;
  QPushButton* bitmapButton_ = nullptr;  // Draw's "Bitmap", for the bitmap fills only
  QLineEdit* textureBox_ = nullptr;
  DirectionPicker* picker_ = nullptr;
  QLineEdit* angleBox_ = nullptr;
  PicturePane* tilePane_ = nullptr;
};

}  // namespace

bool runEffectDialog(QWidget* parent, Engine& engine, std::int32_t type,
                     const std::function<void()>& customPreview) {
  if (!effectDialogSpec(type)) return false;
  EffectDialog dialog(parent, engine, type, customPreview);
  dialog.adjustSize();
  moveBesidePreview(&dialog, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vornel
