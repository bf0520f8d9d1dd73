// The window's widgets on the offscreen platform: the sheet's fixed texts, the names a
// screen reader speaks, and the preview window's size, place and panes as the pages
// drive them.
#include "ui/logic/sheet.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "core/project_file.h"
#include "core/style_file.h"
#include "render/engine.h"
#include "ui/main_property.h"
#include "ui/preview_window.h"
#include "ui/qt_host.h"

namespace vornel {

class SheetTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QtHost host_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<MainProperty> sheet_;

  // A control of the page in front, by the name a screen reader speaks.
  template <class W>
  W* find(const QString& name) {
    for (W* w : pages()->currentWidget()->findChildren<W*>())
      if (w->accessibleName() == name) return w;
    return nullptr;
  }
  QWidget* pane(const QString& name) {
    for (QWidget* w : sheet_->preview()->findChildren<QWidget*>())
      if (w->accessibleName() == name) return w;
    return nullptr;
  }
  QTabWidget* pages() { return sheet_->findChild<QTabWidget*>(); }
  QTabBar* previewTabs() { return sheet_->preview()->findChild<QTabBar*>(); }

 private slots:
  void init() {
    engine_ = std::make_unique<Engine>(host_);
    StartOptions options;
    options.appDirOption = VORNEL_APPDATA_DIR;
    options.profilePath = dir_.filePath("profile.ini").toStdString();
    startEngine(*engine_, options);
    // Estimates and the test's own style land in a folder of the test's.
    engine_->doc.appDirectory = dir_.path().toStdString() + "/";
    VornelDocument styled;
    initializeDocument(styled);
    EffectRecord fill;
    fill.type = kSingleColor;
    fill.param(1) = 0x0000FF;
    styled.ws.effects = {fill};
    QVERIFY(writeStyle(dir_.filePath("red.sty").toStdString(), styled));
    startWindowJob(*engine_);
    sheet_ = std::make_unique<MainProperty>(*engine_, host_);
    sheet_->show();
    QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
  }

  void cleanup() {
    engine_->doc.projectModified = false;  // no question when the sheet closes
    sheet_.reset();
    engine_.reset();
  }

  void sheetHasItsTitleTabsAndMenu() {
    QCOMPARE(sheet_->windowTitle(), QString("Hello Vornel 1.0"));
    QStringList captions;
    for (int i = 0; i < pages()->count(); ++i) captions << pages()->tabText(i);
    QCOMPARE(captions, (QStringList{"Examples", "Message", "Background", "Bulletin", "Save Vornel",
                                    "Batch Creation"}));
    QStringList bar;
    for (QAction* a : sheet_->menuBar()->actions()) bar << a->text().remove('&');
    QCOMPARE(bar, (QStringList{"File", "Edit", "Help", "Minimize"}));
    QStringList file;
    for (QAction* a : sheet_->menuBar()->actions()[0]->menu()->actions())
      if (!a->isSeparator()) file << a->text();
    QCOMPARE(file, (QStringList{"New", "Open Vrn. File", "Save Vrn. File", "Save Vrn. File As",
                                "Save Image", "Open Batch Text List", "Save Batch Text List",
                                "Save As Batch Text List", "Exit"}));
    QAction* undo = sheet_->menuBar()->actions()[1]->menu()->actions()[0];
    QCOMPARE(undo->text(), QString("Undo"));
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->shortcut(), QKeySequence("Ctrl+Z"));
  }

  void everyControlHasAnAccessibleName() {
    for (int i = 0; i < pages()->count(); ++i) pages()->setCurrentIndex(i);
    QStringList unnamed;
    const auto widgets = sheet_->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
      const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QListWidget*>(w);
      // The tab bars' own scroll arrows are Qt's, named by Qt.
      if (qobject_cast<QTabBar*>(w->parentWidget()) || qobject_cast<QMenuBar*>(w->parentWidget()))
        continue;
      if (control && w->accessibleName().isEmpty() &&
          (!qobject_cast<QAbstractButton*>(w) ||
           static_cast<QAbstractButton*>(w)->text().isEmpty()))
        unnamed << QString(w->metaObject()->className()) + " in " +
                       (w->parentWidget() ? w->parentWidget()->metaObject()->className() : "");
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
  }

  void typingShowsTheTextTabSizedToTheText() {
    pages()->setCurrentIndex(kMessagePage);
    auto* box = find<QPlainTextEdit>("Message");
    QVERIFY(box);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "Wide message");
    QCOMPARE(previewTabs()->currentIndex(), 0);
    QCOMPARE(engine_->doc.layer(kMessageLayer).text, std::string("Wide message"));
    QWidget* text = pane("Text");
    QVERIFY(text->isVisible());
    QVERIFY(!pane("Image")->isVisible());
    // The window is (W + 15) x (H + 39) for a W x H pane.
    QCOMPARE(sheet_->preview()->width(), text->width() + 15);
    QCOMPARE(sheet_->preview()->height(), text->height() + 39);

    pages()->setCurrentIndex(kSavePage);  // leaving renders and shows the picture
    QCOMPARE(previewTabs()->currentIndex(), 1);
    QVERIFY(!engine_->doc.outputStale);
    QCOMPARE(find<QLineEdit>("Size")->text().toULongLong() > 0, true);
  }

  void choosingAStyleDressesTheMessage() {
    pages()->setCurrentIndex(kMessagePage);
    auto* styles = find<QListWidget>("Vornel Style");
    QVERIFY(styles);
    QCOMPARE(styles->count(), 1);
    QVERIFY(!find<QAbstractButton>("Change Color or Texture")->isEnabled());
    styles->setCurrentRow(0);
    QCOMPARE(engine_->doc.layer(kMessageLayer).effects.size(), std::size_t{1});
    QVERIFY(find<QAbstractButton>("Change Color or Texture")->isEnabled());
    QCOMPARE(previewTabs()->currentIndex(), 1);
  }

  void previewFollowsTheSheet() {
    sheet_->move(40, 30);
    QTRY_COMPARE(sheet_->preview()->pos(),
                 QPoint(sheet_->frameGeometry().left(), sheet_->frameGeometry().bottom() + 1));
  }

  void pressedTwinShowsWhileTheButtonIsHeld() {
    // A bundled push button, whose pressed twin has its shadow and relief moved.
    QCOMPARE(readProject(engine_->doc, VORNEL_APPDATA_DIR "/welcome_button.vrn"), 0);
    engine_->doc.pressedImage = true;
    engine_->doc.outputStale = true;
    host_.showPreviewTab(1);
    QWidget* image = pane("Image");
    QVERIFY(image && image->isVisible());
    const QImage normal = image->grab().toImage();
    QTest::mousePress(image, Qt::LeftButton);
    const QImage held = image->grab().toImage();
    QTest::mouseRelease(image, Qt::LeftButton);
    QVERIFY(held != normal);
    QCOMPARE(image->grab().toImage(), normal);
  }
};

}  // namespace vornel

QTEST_MAIN(vornel::SheetTest)
#include "sheet_test.moc"
