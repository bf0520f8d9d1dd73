#include "ui/shape_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>

#include "render/engine.h"
#include "ui/dialog_place.h"
#include "ui/logic/shape_dialog.h"
#include "ui/page_frame.h"
#include "ui/track_slider.h"

namespace vornel {

namespace {

// The "Preview" pane: the profile's curve in a frame.
class CurvePane : public QWidget {
 public:
  CurvePane(QWidget* parent, const ShapeDialogLogic& logic) : QWidget(parent), logic_(logic) {
    setFixedSize(200, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QPolygon curve;
    for (const CurvePoint& p : reliefCurve(logic_.profile(), width(), height()))
      curve << QPoint(p.x, p.y);
    painter.setClipRect(rect().adjusted(1, 1, -1, -1));
    painter.drawPolyline(curve);
  }

 private:
  const ShapeDialogLogic& logic_;
};

class ShapeDialog : public QDialog {
 public:
  ShapeDialog(QWidget* parent, Engine& engine) : QDialog(parent), logic_(engine) {
    setWindowTitle("3D Shape");
    auto* grid = new QGridLayout(this);

    height_ = addSliderRow(grid, 0, "Height", 1, 1000, 5, heightBox_);
    wavelength_ = addSliderRow(grid, 1, "Wavelength", 1, 600, 10, wavelengthBox_);

    auto* shapeLabel = new QLabel("3D Shape", this);
    auto* shapes = named(new QComboBox(this), "3D Shape");
    shapes->setEnabled(false);  // no shapes to choose from: the record's shape is kept
    shapeLabel->setBuddy(shapes);
    grid->addWidget(shapeLabel, 2, 0);
    grid->addWidget(shapes, 2, 1, 1, 2);

    auto* previewLabel = new QLabel("Preview", this);
    grid->addWidget(previewLabel, 3, 0, 1, 3);
    auto* around = new QGridLayout;
    cap_ = makeSlider(Qt::Vertical, -1000, 1000, 5, "Height cap",
                      "Drag up to let the relief rise higher");
    pane_ = named(new CurvePane(this, logic_), "Preview");
    level_ =
        makeSlider(Qt::Vertical, -1000, 1000, 10, "Plateau level", "Drag up to raise the plateau");
    threshold_ = makeSlider(Qt::Horizontal, 1, 1, 10, "Plateau threshold",
                            "Where the waves give way to the plateau");
    around->addWidget(cap_, 0, 0);
    around->addWidget(pane_, 0, 1);
    around->addWidget(level_, 0, 2);
    around->addWidget(threshold_, 1, 1);
    grid->addLayout(around, 4, 0, 1, 3, Qt::AlignHCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 5, 0, 1, 3);

    show(logic_.open());
    height_->setFocus();
  }

  EffectRecord values() const { return logic_.values(); }

 private:
  TrackSlider* makeSlider(Qt::Orientation orientation, int minimum, int maximum, int page,
                          const QString& name, const QString& tip) {
    auto* slider = named(new TrackSlider(orientation, this), name, tip);
    slider->setRange(minimum, maximum);
    slider->setPageStep(page);
    if (orientation == Qt::Vertical) slider->setMinimumHeight(120);
    slider->onMoved = [this] { moved(); };
    return slider;
  }

  TrackSlider* addSliderRow(QGridLayout* grid, int row, const QString& label, int minimum,
                            int maximum, int page, QLineEdit*& box) {
    auto* caption = new QLabel(label, this);
    TrackSlider* slider = makeSlider(Qt::Horizontal, minimum, maximum, page, label, QString());
    slider->setMinimumWidth(180);
    caption->setBuddy(slider);
    box = named(new QLineEdit(this), label + " value");
    box->setReadOnly(true);
    box->setFixedWidth(64);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(box, row, 2);
    return slider;
  }

  void moved() {
    show(logic_.slidersMoved({height_->value(), wavelength_->value(), cap_->value(),
                              threshold_->value(), level_->value()}));
  }

  void show(const ShapeDialogView& view) {
    const ShapeSliders& p = view.positions;
    const std::pair<TrackSlider*, int> positions[] = {
        {height_, p.height}, {wavelength_, p.wavelength}, {cap_, p.cap}, {level_, p.level}};
    for (auto [slider, value] : positions) {
      const QSignalBlocker quiet(slider);
      slider->setValue(value);
    }
    {
      const QSignalBlocker quiet(threshold_);
      threshold_->setRange(1, view.thresholdMaximum);
      threshold_->setValue(p.threshold);
    }
    heightBox_->setText(QString::fromStdString(view.heightText));
    wavelengthBox_->setText(QString::fromStdString(view.wavelengthText));
    pane_->update();
  }

  ShapeDialogLogic logic_;
  TrackSlider *height_, *wavelength_, *cap_, *threshold_, *level_;
  QLineEdit *heightBox_, *wavelengthBox_;
  CurvePane* pane_;
};

}  // namespace

std::optional<EffectRecord> runShapeDialog(QWidget* parent, Engine& engine) {
  ShapeDialog dialog(parent, engine);
  dialog.adjustSize();
  moveBesidePreview(&dialog, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.values();
}

}  // namespace vornel
