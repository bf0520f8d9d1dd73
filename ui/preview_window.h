// CPreviewWnd: the small window under the sheet with the "Text" and "Image" tabs. It
// draws what the preview logic paints, pixel for pixel, and follows the sheet. Where
// the window system does not let a program place its windows (Wayland), it is docked
// under the pages instead.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/logic/preview.h"

class QTabBar;

namespace vornel {

struct Engine;

// One pane: a picture drawn 1:1 in device pixels; the "Image" pane shows the pressed
// twin while the left button is held on it.
class PreviewPane : public QWidget {
 public:
  explicit PreviewPane(QWidget* parent);
  void setPictures(const QImage& normal, const QImage& pressed);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage normal_, pressed_;
  bool held_ = false;
};

class PreviewWindow : public QWidget {
 public:
  // docked: a child of the sheet instead of a window of its own.
  PreviewWindow(Engine& engine, QWidget* parent, bool docked);

  // RefreshPreview and ShowPreviewTab.
  void refresh();
  void showTab(int tab);
  int currentTab() const { return state_.tab; }
  // The top-left corner of the sheet's bottom-left: where the window is kept.
  void followSheet(const QPoint& bottomLeft);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void tabClicked(int tab);

  Engine& engine_;
  PreviewState state_;
  bool docked_;
  QTabBar* tabs_;
  PreviewPane* textPane_;
  PreviewPane* imagePane_;
};

}  // namespace vornel
