// The preview keeping up with the user, measured through the real widgets: a keystroke
// in the Message page's box until the "Text" pane is repainted, and leaving the Message
// page until the "Image" pane is repainted (the render included), for the start-up
// message and a bundled four-effect style, at font heights 20 and 100.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include "core/job_edits.h"
#include "render/engine.h"
#include "ui/logic/sheet.h"
#include "ui/main_property.h"
#include "ui/preview_window.h"
#include "ui/qt_host.h"

namespace vornel {
namespace {

struct Window {
  QTemporaryDir dir;
  QtHost host;
  Engine engine{host};
  std::unique_ptr<MainProperty> sheet;
  QPlainTextEdit* box = nullptr;

  Window(bool styled, int fontHeight) {
    StartOptions options;
    options.appDirOption = VORNEL_APPDATA_DIR;
    options.profilePath = dir.filePath("profile.ini").toStdString();
    startEngine(engine, options);
    if (styled)
      editLayerStyle(engine.doc, kMessageLayer, engine.doc.appDirectory + "neon_glow.sty");
    LogFont font = engine.doc.layer(kMessageLayer).font;
    font.lfHeight = fontHeight;
    font.lfWidth = fontHeight / 2;
    editMessageFont(engine.doc, font);
    engine.doc.appDirectory = dir.path().toStdString() + "/";
    startWindowJob(engine);
    sheet = std::make_unique<MainProperty>(engine, host);
    sheet->show();
    pages()->setCurrentIndex(kMessagePage);
    for (QPlainTextEdit* edit : sheet->findChildren<QPlainTextEdit*>())
      if (edit->accessibleName() == "Message") box = edit;
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QApplication::processEvents();
  }
  ~Window() { engine.doc.projectModified = false; }

  QTabWidget* pages() { return sheet->findChild<QTabWidget*>(); }
  QWidget* pane(const char* name) {
    for (QWidget* w : sheet->preview()->findChildren<QWidget*>())
      if (w->accessibleName() == name) return w;
    return nullptr;
  }
  // One typed character: delivered, handled, and the pane painted before returning.
  void type(int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &release);
  }
};

void BM_KeystrokeToTextPane(benchmark::State& state) {
  Window window(state.range(0) != 0, static_cast<int>(state.range(1)));
  QWidget* pane = window.pane("Text");
  bool add = true;
  for (auto _ : state) {
    if (add)
      window.type(Qt::Key_A, "a");
    else
      window.type(Qt::Key_Backspace, QString());
    add = !add;
    pane->repaint();
  }
}

void BM_LeavingMessagePageToImagePane(benchmark::State& state) {
  Window window(state.range(0) != 0, static_cast<int>(state.range(1)));
  QWidget* pane = window.pane("Image");
  for (auto _ : state) {
    state.PauseTiming();
    window.pages()->setCurrentIndex(kMessagePage);
    window.type(Qt::Key_A, "a");  // the picture is stale again
    state.ResumeTiming();
    window.pages()->setCurrentIndex(kExamplesPage);
    pane->repaint();
  }
}

// Arguments: styled (0 the start-up message, 1 neon_glow.sty), font height.
BENCHMARK(BM_KeystrokeToTextPane)
    ->ArgsProduct({{0, 1}, {20, 100}})
    ->ArgNames({"styled", "height"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeavingMessagePageToImagePane)
    ->ArgsProduct({{0, 1}, {20, 100}})
    ->ArgNames({"styled", "height"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
