// CMainProperty: the sheet: six pages as tabs, the menu bar, and the preview window
// under it. It forwards page activation and the menu commands to the pages' logic.
#pragma once

#include <QMainWindow>

class QTabWidget;

namespace vornel {

struct Engine;
class QtHost;
class PreviewWindow;
class ExamplePage;
class MessagePage;
class SavePage;
class LayerPage;
class BatchPage;

class MainProperty : public QMainWindow {
 public:
  MainProperty(Engine& engine, QtHost& host);
  ~MainProperty() override;

  // Brings page index to the front (kNoPage: nothing).
  void activatePage(int index);
  PreviewWindow* preview() const { return preview_; }

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenu();
  void pageChanged(int index);
  void keepPreviewUnder();
  void openHelp();

  Engine& engine_;
  QtHost& host_;
  QTabWidget* tabs_;
  PreviewWindow* preview_;
  ExamplePage* examples_;
  MessagePage* message_;
  LayerPage* background_;
  LayerPage* bulletin_;
  SavePage* save_;
  BatchPage* batch_;
  int currentPage_ = -1;
};

}  // namespace vornel
