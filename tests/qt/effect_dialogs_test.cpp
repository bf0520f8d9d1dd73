// The effect dialogs as widgets, on the offscreen platform: driven with the keyboard and
// the mouse as a user would, they change the working record at once, repaint the
// preview's "Image" pane after each step, name every control for a screen reader and
// open beside the preview.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "render/canvas_layout.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/effect_dialog.h"
#include "ui/logic/direction_picker.h"
#include "ui/logic/sheet.h"
#include "ui/main_property.h"
#include "ui/preview_window.h"
#include "ui/qt_host.h"
#include "ui/track_slider.h"

namespace vornel {

// The window's host, counting preview refreshes and taking down message boxes instead
// of showing them.
class RecordingHost : public QtHost {
 public:
  int refreshes = 0;
  QStringList messages;
  void refreshPreview() override {
    ++refreshes;
    QtHost::refreshPreview();
  }
  MsgAnswer messageBox(const std::string& text, const std::string&, MsgButtons, MsgIcon) override {
    messages << QString::fromStdString(text);
    return MsgAnswer::Ok;
  }
};

class EffectDialogsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingHost host_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<MainProperty> sheet_;

  EffectRecord& working(int type) {
    return engine_->doc.effectDefaults[static_cast<std::size_t>(type)];
  }

  template <class W>
  static W* find(QWidget* dialog, const QString& name) {
    for (W* w : dialog->findChildren<W*>())
      if (w->accessibleName() == name) return w;
    return nullptr;
  }

  QImage imagePane() {
    for (QWidget* w : sheet_->preview()->findChildren<QWidget*>())
      if (w->accessibleName() == "Image") return w->grab().toImage();
    return {};
  }

  // Opens the dialog of type and hands it to drive; whatever drive does, the dialog is
  // closed afterwards (Cancel when drive left it open). Returns runEffectDialog's answer.
  bool runDialog(int type, const std::function<void(QDialog*)>& drive) {
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      drive(dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    return runEffectDialog(sheet_.get(), *engine_, type);
  }

 private slots:
  void init() {
    engine_ = std::make_unique<Engine>(host_);
    StartOptions options;
    options.appDirOption = VORNEL_APPDATA_DIR;
    options.profilePath = dir_.filePath("profile.ini").toStdString();
    startEngine(*engine_, options);
    startWindowJob(*engine_);
    sheet_ = std::make_unique<MainProperty>(*engine_, host_);
    sheet_->show();
    QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
    // As the style editor opens a dialog: the Message prepared, the "Image" tab shown.
    loadLayerIntoWorkingSet(engine_->doc, kMessageLayer);
    QVERIFY(prepareCanvas(*engine_));
    host_.showPreviewTab(kImageTab);
    renderPreview(*engine_);
    host_.refreshes = 0;
    host_.messages.clear();
  }

  void cleanup() {
    engine_->doc.projectModified = false;
    sheet_.reset();
    engine_.reset();
  }

  void dropShadowFollowsTheKeyboardStepByStep() {
    bool checked = false;
    const bool ok = runDialog(kDropShadow, [&](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Effect : Drop Shadow"));
      auto* blur = find<QSlider>(dialog, "Blur");
      auto* blurBox = find<QLineEdit>(dialog, "Blur value");
      QVERIFY(blur && blurBox);
      QCOMPARE(blurBox->text(), QString("2"));
      const QImage before = imagePane();
      const int refreshes = host_.refreshes;

      blur->setFocus();
      QTest::keyClick(blur, Qt::Key_Right);
      QCOMPARE(working(kDropShadow).param(6), 3);
      QCOMPARE(blurBox->text(), QString("3"));
      QCOMPARE(host_.refreshes, refreshes + 1);
      QVERIFY(imagePane() != before);  // the pane was repainted with the new shadow
      QTest::keyClick(blur, Qt::Key_Right);
      QTest::keyClick(blur, Qt::Key_Right);
      QCOMPARE(working(kDropShadow).param(6), 5);
      QCOMPARE(host_.refreshes, refreshes + 3);  // every step rendered

      auto* opacity = find<QSlider>(dialog, "Opacity");
      QVERIFY(opacity);
      opacity->setFocus();
      QTest::keyClick(opacity, Qt::Key_PageUp);
      QCOMPARE(working(kDropShadow).param(5), 60);
      QCOMPARE(find<QLineEdit>(dialog, "Opacity value")->text(), QString("60"));

      // Typing in the box: each keystroke stores; 40 is stored and shown as 31.
      blurBox->setFocus();
      blurBox->selectAll();
      QTest::keyClicks(blurBox, "40");
      QCOMPARE(working(kDropShadow).param(6), 31);
      QCOMPARE(blurBox->text(), QString("31"));
      QCOMPARE(blur->value(), 10);

      // An offset beyond the slider's end is kept until the next slider step.
      auto* across = find<QSlider>(dialog, "Horizontal");
      auto* acrossBox = find<QLineEdit>(dialog, "Horizontal value");
      QVERIFY(across && acrossBox);
      acrossBox->setFocus();
      acrossBox->selectAll();
      QTest::keyClicks(acrossBox, "50");
      QCOMPARE(working(kDropShadow).param(3), 50);
      QCOMPARE(across->value(), 20);
      across->setFocus();
      QTest::keyClick(across, Qt::Key_End);
      QCOMPARE(working(kDropShadow).param(3), 20);
      QCOMPARE(acrossBox->text(), QString("20"));
      QCOMPARE(working(kDropShadow).param(6), 10);  // every slider stores its position
      QCOMPARE(blurBox->text(), QString("10"));

      // The upright slider moves down with Down, as the shadow does.
      auto* down = find<QSlider>(dialog, "Vertical");
      down->setFocus();
      QTest::keyClick(down, Qt::Key_Down);
      QCOMPARE(working(kDropShadow).param(4), 1);

      // A box emptied or holding a lone minus is a number on its way: it says so only
      // when it is left that way, and the value stays; "-3" typed key by key is taken.
      blurBox->setFocus();
      blurBox->selectAll();
      QTest::keyClick(blurBox, Qt::Key_Backspace);
      QTest::keyClick(blurBox, Qt::Key_Minus);
      QVERIFY(host_.messages.isEmpty());
      QTest::keyClick(blurBox, Qt::Key_3);
      QCOMPARE(working(kDropShadow).param(6), -3);
      QTest::keyClick(blurBox, Qt::Key_Backspace);
      // Leaving the box (the offscreen dialog never holds the focus to lose it).
      emit blurBox->editingFinished();
      QCOMPARE(host_.messages, QStringList{"Please enter an integer."});
      QCOMPARE(working(kDropShadow).param(6), -3);

      QTest::keyClick(blurBox, Qt::Key_Escape);
      QVERIFY(!dialog->isVisible());
      checked = true;
    });
    QVERIFY(checked);
    QVERIFY(!ok);  // Escape cancels, and the moved values stay for the next dialog
    QCOMPARE(working(kDropShadow).param(5), 60);
    QCOMPARE(working(kDropShadow).param(4), 1);
  }

  void enterConfirmsAndTheNameBoxIsTheTexture() {
    const bool ok = runDialog(kSingleColor, [&](QDialog* dialog) {
      auto* bitmap = find<QAbstractButton>(dialog, "Bitmap(tile)");
      QVERIFY(bitmap);
      bitmap->setFocus();
      QTest::keyClick(bitmap, Qt::Key_Space);
      QCOMPARE(working(kSingleColor).param(5), 4);
      QVERIFY(!find<QAbstractButton>(dialog, "Color")->isEnabled());
      auto* name = find<QLineEdit>(dialog, "Texture name");
      QVERIFY(name && name->isEnabled());
      name->setFocus();
      QTest::keyClicks(name, "wood.jpg");
      QTest::keyClick(name, Qt::Key_Return);
    });
    QVERIFY(ok);
    QCOMPARE(working(kSingleColor).texture(), std::string("wood.jpg"));
  }

  void directionPaneSetsTheAngleWhereTheMouseIsReleased() {
    runDialog(kLinearGradient, [&](QDialog* dialog) {
      QWidget* pane = find<QWidget>(dialog, "Direction");
      auto* angle = find<QLineEdit>(dialog, "Angle");
      QVERIFY(pane && angle);
      QCOMPARE(angle->text(), QString("20"));
      const int refreshes = host_.refreshes;
      const QPoint centre(pane->width() / 2, pane->height() / 2);
      QTest::mousePress(pane, Qt::LeftButton, {}, centre);
      QTest::mouseMove(pane, centre + QPoint(20, 20));
      QCOMPARE(working(kLinearGradient).param(5), 45);  // follows without a preview
      QCOMPARE(host_.refreshes, refreshes);
      const QPoint end = centre + QPoint(-20, 20);
      QTest::mouseRelease(pane, Qt::LeftButton, {}, end);
      const double expected = directionAngle(end.x(), end.y(), pane->width(), pane->height());
      QCOMPARE(working(kLinearGradient).param(5), static_cast<int>(expected));
      QCOMPARE(angle->text(), QString("134.98"));
      QCOMPARE(host_.refreshes, refreshes + 1);
      angle->setFocus();
      angle->selectAll();
      QTest::keyClicks(angle, "300");
      QCOMPARE(working(kLinearGradient).param(5), 300);
    });
  }

  void trackSliderNotifiesOnPressMovesAndRelease() {
    TrackSlider slider(Qt::Horizontal, nullptr);
    slider.setRange(0, 100);
    slider.resize(200, 24);
    slider.show();
    QVERIFY(QTest::qWaitForWindowExposed(&slider));
    int moved = 0;
    slider.onMoved = [&] { ++moved; };
    QTest::keyClick(&slider, Qt::Key_Right);
    QCOMPARE(moved, 1);
    QCOMPARE(slider.value(), 1);
    QTest::keyClick(&slider, Qt::Key_Escape);  // not the slider's key
    QCOMPARE(moved, 1);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(100, 12));
    QCOMPARE(moved, 2);
    QTest::mouseMove(&slider, QPoint(120, 12));
    QTest::mouseMove(&slider, QPoint(140, 12));
    QCOMPARE(moved, 4);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(140, 12));
    QCOMPARE(moved, 5);
    QTest::mouseMove(&slider, QPoint(160, 12));  // no button held: nothing
    QCOMPARE(moved, 5);
  }

  void everyDialogNamesItsControlsAndStandsBesideThePreview() {
    for (int type = 0; type < kEffectTypeCount; ++type) {
      runDialog(type, [&](QDialog* dialog) {
        QStringList unnamed;
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
          const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                               qobject_cast<QSlider*>(w) || qobject_cast<QComboBox*>(w);
          if (!control || qobject_cast<QComboBox*>(w->parentWidget())) continue;
          const auto* button = qobject_cast<QAbstractButton*>(w);
          if (w->accessibleName().isEmpty() && (!button || button->text().isEmpty()))
            unnamed << w->metaObject()->className();
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(dialog->windowTitle() + ": " + unnamed.join(",")));
        QVERIFY2(!dialog->frameGeometry().intersects(sheet_->preview()->frameGeometry()),
                 qPrintable(dialog->windowTitle()));
      });
    }
  }
};

}  // namespace vornel

QTEST_MAIN(vornel::EffectDialogsTest)
#include "effect_dialogs_test.moc"
