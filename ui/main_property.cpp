#include "ui/main_property.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "core/style_file.h"
#include "render/engine.h"
#include "ui/batch_page.h"
#include "ui/example_page.h"
#include "ui/layer_page.h"
#include "ui/logic/sheet.h"
#include "ui/logic/window_place.h"
#include "ui/message_page.h"
#include "ui/preference_dialog.h"
#include "ui/preview_window.h"
#include "ui/program_icon.h"
#include "ui/qt_host.h"
#include "ui/save_page.h"

namespace vornel {

namespace {

// Wayland does not let a program place its own windows: the preview is docked there.
bool windowsCanBePlaced() {
  return !QGuiApplication::platformName().startsWith("wayland");
}

}  // namespace

MainProperty::MainProperty(Engine& engine, QtHost& host) : engine_(engine), host_(host) {
  setWindowTitle(kWindowTitle);
  setWindowIcon(programIcon());
  setAcceptDrops(true);
  buildMenu();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(4, 4, 4, 4);
  tabs_ = new QTabWidget(central);
  tabs_->setAccessibleName("Pages");
  examples_ = new ExamplePage(engine, tabs_);
  message_ = new MessagePage(engine, tabs_);
  background_ = new LayerPage(engine, kTemplateLayer, tabs_);
  bulletin_ = new LayerPage(engine, kBulletinLayer, tabs_);
  save_ = new SavePage(engine, tabs_);
  batch_ = new BatchPage(engine, tabs_);
  QWidget* pages[kPageCount] = {examples_, message_, background_, bulletin_, save_, batch_};
  for (int i = 0; i < kPageCount; ++i) tabs_->addTab(pages[i], kPageCaptions[i]);
  column->addWidget(tabs_);

  const bool docked = !windowsCanBePlaced();
  preview_ = new PreviewWindow(engine, docked ? central : this, docked);
  if (docked) column->addWidget(preview_, 0, Qt::AlignLeft);
  setCentralWidget(central);
  host_.setDialogParent(this);
  host_.setPreview(preview_);

  connect(tabs_, &QTabWidget::currentChanged, this, &MainProperty::pageChanged);

  if (std::optional<WindowPlace> place = loadWindowPlace(engine_.profilePath)) {
    const QPoint at(place->x, place->y);
    // A place on a screen that is gone is not used.
    for (QScreen* screen : QGuiApplication::screens())
      if (screen->availableGeometry().contains(at)) move(at);
  }
}

MainProperty::~MainProperty() {
  host_.setPreview(nullptr);
}

void MainProperty::buildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("New", QKeySequence::New, this,
                  [this] { activatePage(menuNewProject(engine_)); });
  file->addAction("Open Vrn. File", QKeySequence::Open, this,
                  [this] { activatePage(menuOpenProject(engine_)); });
  file->addAction("Save Vrn. File", QKeySequence::Save, this, [this] { menuSaveProject(engine_); });
  file->addAction("Save Vrn. File As", QKeySequence::SaveAs, this,
                  [this] { menuSaveProjectAs(engine_); });
  file->addSeparator();
  file->addAction("Save Image", this, [this] { activatePage(kSavePage); });
  file->addSeparator();
  file->addAction("Open Batch Text List", this, [this] {
    activatePage(kBatchPage);
    batch_->load();
  });
  file->addAction("Save Batch Text List", this, [this] {
    activatePage(kBatchPage);
    batch_->save();
  });
  file->addAction("Save As Batch Text List", this, [this] {
    activatePage(kBatchPage);
    batch_->saveAs();
  });
  file->addSeparator();
  file->addAction("Exit", QKeySequence::Quit, this, [this] { close(); });

  QMenu* edit = menuBar()->addMenu("&Edit");
  QAction* undo = edit->addAction("Undo");
  undo->setShortcut(QKeySequence::Undo);
  undo->setEnabled(false);
  edit->addSeparator();
  edit->addAction("Copy", QKeySequence::Copy, this, [this] { menuCopy(engine_); });
  edit->addAction("Preference", this, [this] { runPreferenceDialog(this, engine_); });

  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("Contents", QKeySequence::HelpContents, this, &MainProperty::openHelp);

  menuBar()->addAction("Minimize", this, &QWidget::showMinimized);

  // The preview's tabs from the keyboard, as the preview is a window of its own.
  auto* textTab = new QShortcut(QKeySequence("Ctrl+1"), this);
  connect(textTab, &QShortcut::activated, this, [this] { preview_->showTab(0); });
  auto* imageTab = new QShortcut(QKeySequence("Ctrl+2"), this);
  connect(imageTab, &QShortcut::activated, this, [this] { preview_->showTab(1); });
}

void MainProperty::activatePage(int index) {
  if (index < 0 || index >= kPageCount) return;
  if (tabs_->currentIndex() == index)
    pageChanged(index);
  else
    tabs_->setCurrentIndex(index);
}

void MainProperty::pageChanged(int index) {
  if (currentPage_ == kMessagePage && index != kMessagePage) message_->left();
  if (currentPage_ == kBatchPage && index != kBatchPage) batch_->left();
  const bool entered = index != currentPage_;
  currentPage_ = index;
  if (!entered && index != kExamplesPage) return;
  switch (index) {
    case kExamplesPage:
      examples_->activated();
      break;
    case kMessagePage:
      message_->activated();
      break;
    case kBackgroundPage:
      background_->activated();
      break;
    case kBulletinPage:
      bulletin_->activated();
      break;
    case kSavePage:
      save_->activated();
      break;
    case kBatchPage:
      batch_->activated();
      break;
    default:
      break;
  }
}

void MainProperty::keepPreviewUnder() {
  const QRect sheet = frameGeometry();
  preview_->followSheet(QPoint(sheet.left(), sheet.bottom() + 1));
}

void MainProperty::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  keepPreviewUnder();
}

void MainProperty::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  keepPreviewUnder();
}

void MainProperty::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (currentPage_ < 0) pageChanged(tabs_->currentIndex());
  keepPreviewUnder();
  preview_->refresh();
}

void MainProperty::closeEvent(QCloseEvent* event) {
  if (!exitRequested(engine_)) {
    event->ignore();
    return;
  }
  saveWindowPlace(engine_.profilePath, {pos().x(), pos().y()});
  preview_->close();
  event->accept();
}

void MainProperty::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainProperty::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    activatePage(fileDropped(engine_, url.toLocalFile().toStdString()));
    event->acceptProposedAction();
    return;
  }
}

void MainProperty::openHelp() {
  const QString path = QString::fromStdString(helpPagePath(engine_.doc));
  if (!QFileInfo::exists(path))
    reportCannotOpen(host_, path.toStdString() + ": there is no help page in the program folder");
  else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    reportCannotOpen(host_, path.toStdString() + ": the desktop has no program for web pages");
}

}  // namespace vornel
