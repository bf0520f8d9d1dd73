// The Edit Style dialog on the offscreen platform, with scripted effect dialogs: its
// fixed texts, the rows drawn from the effect pictures, double clicks, dragging, the
// Delete key, Escape and Enter; and the Message page opening it.
#include "ui/edit_style_dialog.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "render/engine.h"
#include "ui/logic/sheet.h"
#include "ui/main_property.h"
#include "ui/qt_host.h"

namespace vornel {

namespace {

// Questions are answered Cancel and counted; no file dialog is ever answered.
class QuietHost : public Host {
 public:
  std::vector<std::string> messages;
  int refreshes = 0;
  MsgAnswer messageBox(const std::string& text, const std::string&, MsgButtons, MsgIcon) override {
    messages.push_back(text);
    return MsgAnswer::Cancel;
  }
  std::optional<std::string> openFileDialog(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> saveFileDialog(const FileDialogOptions&) override { return {}; }
  void refreshPreview() override { ++refreshes; }
};

EffectRecord effect(std::int32_t type) {
  EffectRecord r;
  r.type = type;
  return r;
}

}  // namespace

class EditStyleDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QuietHost host_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<EditStyleDialog> dialog_;
  std::vector<std::int32_t> opened_;  // the effect dialogs the scripted opener ran
  bool answerOk_ = true;

  template <class W>
  W* find(QWidget* in, const QString& name) {
    for (W* w : in->findChildren<W*>())
      if (w->accessibleName() == name) return w;
    return nullptr;
  }
  QListWidget* types() { return find<QListWidget>(dialog_.get(), "Vornel Effect"); }
  QListWidget* applied() { return find<QListWidget>(dialog_.get(), "Applied Effect"); }
  QPushButton* button(const QString& name) { return find<QPushButton>(dialog_.get(), name); }
  QStringList appliedRows() {
    QStringList rows;
    for (int i = 0; i < applied()->count(); ++i) rows << applied()->item(i)->text();
    return rows;
  }
  QPoint rowCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
  }
  void sendMouse(QWidget* to, QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, to->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(to, &event);
  }
  // The events a double click brings, straight to the list's viewport.
  void doubleClick(QListWidget* list, int row) {
    const QPoint at = rowCentre(list, row);
    QWidget* view = list->viewport();
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
    sendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
  }

 private slots:
  void init() {
    engine_ = std::make_unique<Engine>(host_);
    StartOptions options;
    options.appDirOption = VORNEL_APPDATA_DIR;
    options.profilePath = dir_.filePath("profile.ini").toStdString();
    startEngine(*engine_, options);
    engine_->doc.appDirectory = dir_.path().toStdString() + "/";
    startWindowJob(*engine_);
    engine_->doc.ws.effects = {effect(kSingleColor), effect(kOutLine), effect(kDropShadow)};
    opened_.clear();
    answerOk_ = true;
    dialog_ = std::make_unique<EditStyleDialog>(
        *engine_, nullptr, [this](QWidget* parent, std::int32_t type) {
          if (parent != dialog_.get()) qWarning("the effect dialog is not over the editor");
          opened_.push_back(type);
          engine_->doc.effectDefaults[type].param(1) = 0x00FF00;
          return answerOk_;
        });
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
  }

  void cleanup() {
    dialog_.reset();
    engine_.reset();
  }

  void fixedTextsTipsAndNames() {
    QCOMPARE(dialog_->windowTitle(), QString("Edit Style"));
    QVERIFY(dialog_->findChild<QGroupBox*>()->title() == "Effect Wizard");
    QStringList labels;
    for (QLabel* l : dialog_->findChildren<QLabel*>()) labels << l->text();
    QVERIFY(labels.contains("Vornel Effect") && labels.contains("Applied Effect"));
    QStringList captions;
    for (QPushButton* b : dialog_->findChildren<QPushButton*>()) captions << b->text();
    QCOMPARE(captions, QStringList({"Add to Applied Effect", "Go Up", "Go Down", "Delete", "New",
                                    "Save", "Save As", "OK", "Cancel"}));
    QCOMPARE(types()->toolTip(), QString("Font Effect you can add to your vornel"));
    QCOMPARE(button("Add to Applied Effect")->toolTip(),
             QString("Add current selected effect to your font"));
    QCOMPARE(applied()->toolTip(),
             QString("Currently applied effect. These effects will be applied sequentially"));
    QCOMPARE(button("Go Up")->toolTip(),
             QString("Click to move up a selected effect in the applied list box"));
    QCOMPARE(button("Go Down")->toolTip(),
             QString("Click to move down a selected effect in the applied list box"));
    QCOMPARE(button("Save As")->toolTip(), QString("Click to Save current effect style"));
    for (QWidget* w : dialog_->findChildren<QWidget*>())
      if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QListWidget*>(w))
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->metaObject()->className()));
    QCOMPARE(appliedRows(), QStringList({"Draw", "Outline", "Drop Shadow"}));
  }

  void typeRowsAreTheirPictures() {
    QListWidget* list = types();
    QCOMPARE(list->count(), kEffectTypeCount);
    const QImage shown = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int type = 0; type < kEffectTypeCount; ++type) {
      QCOMPARE(list->item(type)->text(), QString(kEffectDisplayNames[type]));
      const QRect row = list->visualItemRect(list->item(type));
      QCOMPARE(row.height(), 24);
      const QImage picture = QImage(QString(":/pictures/effect%1.bmp").arg(type))
                                 .convertToFormat(QImage::Format_RGB32);
      QVERIFY(!picture.isNull());
      // The picture from the row's top-left corner, pixel for pixel inside the row's
      // outermost pixels, where the focus frame of the current row may be drawn.
      for (int y = 1; y < picture.height() && y < row.height() - 1; ++y)
        for (int x = 1; x < picture.width(); ++x)
          if (shown.pixel(row.left() + x, row.top() + y) != picture.pixel(x, y))
            QFAIL(qPrintable(QString("type %1 differs at %2, %3").arg(type).arg(x).arg(y)));
    }
  }

  void doubleClicksAddAndEdit() {
    QListWidget* list = types();
    answerOk_ = false;
    doubleClick(list, kFog);
    QCOMPARE(opened_, std::vector<std::int32_t>{kFog});
    QCOMPARE(applied()->count(), 3);  // cancelled
    answerOk_ = true;
    doubleClick(list, kFog);
    QCOMPARE(appliedRows().last(), QString("Fog"));
    QCOMPARE(applied()->currentRow(), 3);
    QCOMPARE(engine_->doc.ws.effects[3].param(1), 0x00FF00);

    // "Add to Applied Effect" takes the selected type.
    list->setCurrentRow(kTile);
    QTest::mouseClick(button("Add to Applied Effect"), Qt::LeftButton);
    QCOMPARE(appliedRows().last(), QString("Tile"));

    // A double click on an applied row edits that effect.
    doubleClick(applied(), 1);
    QCOMPARE(opened_.back(), kOutLine);
    QCOMPARE(engine_->doc.ws.effects[1].param(1), 0x00FF00);
    QCOMPARE(engine_->doc.ws.effects.size(), std::size_t{5});
  }

  void dragMovesTheRememberedRowToTheDropRow() {
    QWidget* view = applied()->viewport();
    const int refreshes = host_.refreshes;
    sendMouse(view, QEvent::MouseButtonPress, rowCentre(applied(), 0), Qt::LeftButton);
    QCOMPARE(view->cursor().shape(), Qt::SizeVerCursor);
    sendMouse(view, QEvent::MouseMove, rowCentre(applied(), 1), Qt::LeftButton);
    sendMouse(view, QEvent::MouseMove, rowCentre(applied(), 2), Qt::LeftButton);
    QCOMPARE(applied()->currentRow(), 2);
    sendMouse(view, QEvent::MouseButtonRelease, rowCentre(applied(), 2), Qt::NoButton);
    QVERIFY(view->cursor().shape() != Qt::SizeVerCursor);
    QCOMPARE(appliedRows(), QStringList({"Outline", "Drop Shadow", "Draw"}));
    QCOMPARE(applied()->currentRow(), 2);
    QCOMPARE(host_.refreshes, refreshes + 1);

    // Pressed and let go on one row: nothing moves, nothing renders.
    sendMouse(view, QEvent::MouseButtonPress, rowCentre(applied(), 1), Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, rowCentre(applied(), 1), Qt::NoButton);
    QCOMPARE(appliedRows(), QStringList({"Outline", "Drop Shadow", "Draw"}));
    QCOMPARE(host_.refreshes, refreshes + 1);

    QTest::mouseClick(button("Go Up"), Qt::LeftButton);
    QCOMPARE(appliedRows(), QStringList({"Drop Shadow", "Outline", "Draw"}));
    QTest::mouseClick(button("Go Up"), Qt::LeftButton);  // first row already
    QCOMPARE(appliedRows(), QStringList({"Drop Shadow", "Outline", "Draw"}));
    QTest::mouseClick(button("Go Down"), Qt::LeftButton);
    QCOMPARE(appliedRows(), QStringList({"Outline", "Drop Shadow", "Draw"}));
    QCOMPARE(applied()->currentRow(), 1);
  }

  void deleteActsWhenTheKeyIsLetGo() {
    applied()->setFocus();
    applied()->setCurrentRow(1);
    QTest::keyPress(applied(), Qt::Key_Delete);
    QCOMPARE(applied()->count(), 3);
    QTest::keyRelease(applied(), Qt::Key_Delete);
    QCOMPARE(appliedRows(), QStringList({"Draw", "Drop Shadow"}));
    QCOMPARE(engine_->doc.ws.effects.size(), std::size_t{2});
    QTest::mouseClick(button("Delete"), Qt::LeftButton);
    QCOMPARE(appliedRows(), QStringList({"Draw"}));
    // New asks about the edited style; Cancel keeps it.
    QTest::mouseClick(button("New"), Qt::LeftButton);
    QCOMPARE(host_.messages.back(), std::string("Save change to Untitled.sty"));
    QCOMPARE(appliedRows(), QStringList({"Draw"}));
  }

  void enterConfirmsAndEscapeCancels() {
    types()->setFocus();
    types()->setCurrentRow(kSpace);
    QTest::keyClick(types(), Qt::Key_Return);
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QVERIFY(opened_.empty());  // Enter on a type does not add it
    dialog_->show();
    applied()->setFocus();
    QTest::keyClick(applied(), Qt::Key_Escape);
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QVERIFY(!dialog_->isVisible());
  }

  // The real window: the Message page's "Edit Style" opens the dialog for the Message
  // layer, and only OK gives the edited style back to the layer.
  void messagePageOpensTheEditor() {
    dialog_.reset();
    QtHost qtHost;
    Engine engine(qtHost);
    StartOptions options;
    options.appDirOption = VORNEL_APPDATA_DIR;
    options.profilePath = dir_.filePath("profile2.ini").toStdString();
    startEngine(engine, options);
    engine.doc.appDirectory = dir_.path().toStdString() + "/";
    startWindowJob(engine);
    engine.doc.layer(kMessageLayer).effects = {effect(kOutLine), effect(kSingleColor)};
    MainProperty sheet(engine, qtHost);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    auto* pages = sheet.findChild<QTabWidget*>();
    pages->setCurrentIndex(1);
    QPushButton* editStyle = find<QPushButton>(pages->currentWidget(), "Edit Style");
    QVERIFY(editStyle && editStyle->isEnabled());

    // In the dialog: delete the first effect, then close it with closeWith.
    auto editAndClose = [&](const QString& closeWith) {
      QTimer::singleShot(0, [&, closeWith] {
        auto* open = dynamic_cast<EditStyleDialog*>(QApplication::activeModalWidget());
        QVERIFY(open);
        QListWidget* list = find<QListWidget>(open, "Applied Effect");
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(0);
        find<QPushButton>(open, "Delete")->click();
        find<QPushButton>(open, closeWith)->click();
      });
      QTest::mouseClick(editStyle, Qt::LeftButton);
    };
    editAndClose("Cancel");
    QCOMPARE(engine.doc.layer(kMessageLayer).effects.size(), std::size_t{2});
    QVERIFY(!engine.doc.projectModified);
    editAndClose("OK");
    QCOMPARE(engine.doc.layer(kMessageLayer).effects.size(), std::size_t{1});
    QCOMPARE(engine.doc.layer(kMessageLayer).effects[0].type, kSingleColor);
    QVERIFY(engine.doc.messageStyleModified);
    engine.doc.projectModified = false;  // no question when the sheet closes
  }
};

}  // namespace vornel

QTEST_MAIN(vornel::EditStyleDialogTest)
#include "edit_style_dialog_test.moc"
