#include "ui/preview_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>

#include "render/engine.h"
#include "ui/picture_image.h"

namespace vornel {

namespace {

// Device pixels to the logical pixels widgets are placed in.
int logical(int devicePixels, qreal ratio) {
  return qCeil(devicePixels / ratio);
}

}  // namespace

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPane::setPictures(const QImage& normal, const QImage& pressed) {
  normal_ = normal;
  pressed_ = pressed;
  // Drawn at the screen's own resolution, so each picture pixel is one device pixel.
  normal_.setDevicePixelRatio(devicePixelRatioF());
  pressed_.setDevicePixelRatio(devicePixelRatioF());
  update();
}

void PreviewPane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.fillRect(rect(), palette().window());
  painter.drawImage(QPoint(0, 0), held_ && !pressed_.isNull() ? pressed_ : normal_);
}

void PreviewPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_.isNull()) return;
  held_ = true;
  update();
}

void PreviewPane::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !held_) return;
  held_ = false;
  update();
}

PreviewWindow::PreviewWindow(Engine& engine, QWidget* parent, bool docked)
    : QWidget(parent, docked ? Qt::Widget : Qt::Tool | Qt::FramelessWindowHint),
      engine_(engine),
      docked_(docked) {
  setObjectName("preview");
  setAccessibleName("Preview");
  tabs_ = new QTabBar(this);
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->addTab("Text");
  tabs_->addTab("Image");
  tabs_->setAccessibleName("Preview tabs");
  tabs_->setExpanding(false);
  // A narrow picture leaves less room than the two tabs need: they scroll then.
  tabs_->setUsesScrollButtons(true);
  textPane_ = new PreviewPane(this);
  textPane_->setAccessibleName("Text");
  imagePane_ = new PreviewPane(this);
  imagePane_->setAccessibleName("Image");
  imagePane_->setToolTip("Hold the mouse button down to see the pressed image");
  connect(tabs_, &QTabBar::tabBarClicked, this, [this](int tab) {
    if (tab >= 0) tabClicked(tab);
  });
  connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
    if (tab >= 0 && tab != state_.tab) tabClicked(tab);
  });
}

void PreviewWindow::tabClicked(int tab) {
  state_.tab = tab;
  refresh();
}

void PreviewWindow::showTab(int tab) {
  state_.tab = tab == kImageTab ? kImageTab : kTextTab;
  refresh();
}

void PreviewWindow::refresh() {
  PreviewContent content = refreshPreview(engine_, state_);
  const PreviewGeometry& g = content.geometry;
  const qreal ratio = devicePixelRatioF();
  {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(content.tab);
  }
  PreviewPane* shown = content.tab == kTextTab ? textPane_ : imagePane_;
  PreviewPane* hidden = content.tab == kTextTab ? imagePane_ : textPane_;
  shown->setPictures(imageOf(content.pane), imageOf(content.pressedPane));
  shown->setGeometry(logical(PreviewGeometry::kPaneX, ratio),
                     logical(PreviewGeometry::kPaneY, ratio), logical(g.paneWidth, ratio),
                     logical(g.paneHeight, ratio));
  shown->show();
  hidden->hide();
  // The tabs sit under the panes, inside the (W + 10) x (H + 34) tab control.
  const int tabTop = logical(PreviewGeometry::kPaneY + g.paneHeight, ratio);
  tabs_->setGeometry(logical(PreviewGeometry::kPaneX, ratio), tabTop,
                     logical(g.tabWidth - 2 * PreviewGeometry::kPaneX, ratio),
                     logical(g.tabHeight, ratio) - tabTop);
  const QSize size(logical(g.windowWidth, ratio), logical(g.windowHeight, ratio));
  if (docked_) {
    setFixedSize(size);
  } else {
    resize(size);
  }
  show();
}

void PreviewWindow::paintEvent(QPaintEvent*) {
  // A window without a caption still has a dialog frame.
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!docked_) {
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void PreviewWindow::followSheet(const QPoint& bottomLeft) {
  if (!docked_) move(bottomLeft);
}

}  // namespace vornel
