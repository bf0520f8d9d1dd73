#include "ui/edit_style_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <array>

#include "render/effects/effect_record.h"
#include "render/engine.h"
#include "ui/dialog_place.h"
#include "ui/effect_dialog.h"
#include "ui/page_frame.h"

namespace vornel {

namespace {

constexpr int kTypeRowHeight = 24;
constexpr int kWidestPicture = 160;  // Disturbing Font

// Draws a row of the effect-type list from its type's picture: a white frame, the
// picture from the row's top-left corner, and a frame for the selection and the focus.
// The row's text (the type's display name) is not drawn; it is what a screen reader
// speaks.
class EffectTypeDelegate : public QStyledItemDelegate {
 public:
  explicit EffectTypeDelegate(QObject* parent) : QStyledItemDelegate(parent) {
    for (int type = 0; type < kEffectTypeCount; ++type)
      pictures_[static_cast<std::size_t>(type)] =
          QImage(QString(":/pictures/effect%1.bmp").arg(type));
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QRect row = option.rect;
    painter->save();
    painter->setClipRect(row);
    painter->fillRect(row, option.palette.base());
    painter->setPen(Qt::white);
    painter->drawRect(row.adjusted(0, 0, -1, -1));
    const QString name = index.data(Qt::DisplayRole).toString();
    for (int type = 0; type < kEffectTypeCount; ++type) {
      const QImage& picture = pictures_[static_cast<std::size_t>(type)];
      if (name == kEffectDisplayNames[type] && !picture.isNull())
        painter->drawImage(row.topLeft(), picture);
    }
    if (option.state & QStyle::State_Selected) {
      painter->setPen(option.palette.color(QPalette::Highlight));
      painter->drawRect(row.adjusted(0, 0, -1, -1));
    } else if (option.state & QStyle::State_HasFocus) {
      painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
      painter->drawRect(row.adjusted(0, 0, -1, -1));
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(kWidestPicture, kTypeRowHeight);
  }

 private:
  std::array<QImage, kEffectTypeCount> pictures_;
};

}  // namespace

// The applied list: a row dragged with the left button moves to where it is released,
// and the Delete key deletes the selected row when it is let go.
class AppliedEffectList : public QListWidget {
 public:
  explicit AppliedEffectList(QWidget* parent) : QListWidget(parent) {}

  std::function<void(int from, int to)> dropped;
  std::function<void()> deleteReleased;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    QListWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex under = indexAt(event->position().toPoint());
    if (!under.isValid()) return;
    remembered_ = under.row();
    viewport()->setCursor(Qt::SizeVerCursor);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    QListWidget::mouseMoveEvent(event);
    // The selection follows the button while it is held, as the drop row.
    if (remembered_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && under.row() != currentRow()) setCurrentRow(under.row());
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    viewport()->unsetCursor();
    const int from = remembered_;
    remembered_ = -1;
    const int to = selectedItems().isEmpty() ? -1 : currentRow();
    if (from >= 0 && to >= 0 && to != from && dropped) dropped(from, to);
  }

  void keyReleaseEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat() && deleteReleased) {
      deleteReleased();
      return;
    }
    QListWidget::keyReleaseEvent(event);
  }

 private:
  int remembered_ = -1;
};

EditStyleDialog::EditStyleDialog(Engine& engine, QWidget* parent,
                                 EffectDialogOpener openEffectDialog)
    : QDialog(parent), engine_(engine), openEffectDialog_(std::move(openEffectDialog)) {
  if (!openEffectDialog_)
    openEffectDialog_ = [&engine](QWidget* over, std::int32_t type) {
      return runEffectDialog(over, engine, type);
    };
  setWindowTitle("Edit Style");
  setAccessibleName("Edit Style");
  auto* column = new QVBoxLayout(this);
  auto* group = new QGroupBox("Effect Wizard", this);
  column->addWidget(group);
  auto* grid = new QGridLayout(group);

  auto* typesLabel = new QLabel("Vornel Effect", group);
  types_ = named(new QListWidget(group), "Vornel Effect", "Font Effect you can add to your vornel");
  types_->setItemDelegate(new EffectTypeDelegate(types_));
  types_->setSelectionMode(QAbstractItemView::SingleSelection);
  types_->setUniformItemSizes(true);
  types_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  types_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (const char* name : kEffectDisplayNames) types_->addItem(name);
  const int frame = 2 * types_->frameWidth();
  types_->setFixedSize(kWidestPicture + frame, kEffectTypeCount * kTypeRowHeight + frame);
  typesLabel->setBuddy(types_);
  grid->addWidget(typesLabel, 0, 0);
  grid->addWidget(types_, 1, 0, 2, 1);

  auto* add = named(new QPushButton("Add to Applied Effect", group), "Add to Applied Effect",
                    "Add current selected effect to your font");
  grid->addWidget(add, 1, 1, Qt::AlignVCenter);

  auto* appliedLabel = new QLabel("Applied Effect", group);
  applied_ = named(new AppliedEffectList(group), "Applied Effect",
                   "Currently applied effect. These effects will be applied sequentially");
  applied_->setSelectionMode(QAbstractItemView::SingleSelection);
  applied_->setMinimumWidth(150);
  appliedLabel->setBuddy(applied_);
  grid->addWidget(appliedLabel, 0, 2);
  grid->addWidget(applied_, 1, 2, 2, 1);

  auto* side = new QVBoxLayout;
  auto* goUp = named(new QPushButton("Go Up", group), "Go Up",
                     "Click to move up a selected effect in the applied list box");
  auto* goDown = named(new QPushButton("Go Down", group), "Go Down",
                       "Click to move down a selected effect in the applied list box");
  auto* remove = named(new QPushButton("Delete", group), "Delete");
  auto* fresh = named(new QPushButton("New", group), "New");
  auto* save = named(new QPushButton("Save", group), "Save");
  auto* saveAs =
      named(new QPushButton("Save As", group), "Save As", "Click to Save current effect style");
  for (QPushButton* b : {goUp, goDown, remove}) side->addWidget(b);
  side->addSpacing(16);
  side->addStretch(1);
  for (QPushButton* b : {fresh, save, saveAs}) side->addWidget(b);
  grid->addLayout(side, 1, 3, 2, 1);
  grid->setColumnStretch(2, 1);

  auto* ok = named(new QPushButton("OK", this), "OK");
  auto* cancel = named(new QPushButton("Cancel", this), "Cancel");
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(ok);
  bottom->addWidget(cancel);
  column->addLayout(bottom);
  // Enter confirms the dialog wherever the focus is; the other buttons take Space.
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  ok->setDefault(true);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] {
    showView(styleEditorAdd(engine_, selectedType(), runner(), selectedApplied()));
  });
  connect(types_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    showView(styleEditorAdd(engine_, types_->row(item), runner(), selectedApplied()));
  });
  connect(applied_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    showView(styleEditorEdit(engine_, applied_->row(item), runner()));
  });
  connect(goUp, &QPushButton::clicked, this,
          [this] { showView(styleEditorGoUp(engine_, selectedApplied())); });
  connect(goDown, &QPushButton::clicked, this,
          [this] { showView(styleEditorGoDown(engine_, selectedApplied())); });
  connect(remove, &QPushButton::clicked, this,
          [this] { showView(styleEditorDelete(engine_, selectedApplied())); });
  applied_->deleteReleased = [this] { showView(styleEditorDelete(engine_, selectedApplied())); };
  applied_->dropped = [this](int from, int to) { showView(styleEditorMove(engine_, from, to)); };
  connect(fresh, &QPushButton::clicked, this, [this] {
    if (styleEditorNew(engine_)) showView(styleEditorView(engine_.doc, -1));
  });
  connect(save, &QPushButton::clicked, this, [this] { styleEditorSave(engine_); });
  connect(saveAs, &QPushButton::clicked, this, [this] { styleEditorSaveAs(engine_); });

  showView(styleEditorOpened(engine_));
}

void EditStyleDialog::showView(const StyleEditorView& view) {
  applied_->clear();
  for (const std::string& name : view.applied) applied_->addItem(QString::fromStdString(name));
  if (view.selected >= 0) applied_->setCurrentRow(view.selected);
}

int EditStyleDialog::selectedType() const {
  return types_->selectedItems().isEmpty() ? -1 : types_->currentRow();
}

int EditStyleDialog::selectedApplied() const {
  return applied_->selectedItems().isEmpty() ? -1 : applied_->currentRow();
}

EffectDialogRunner EditStyleDialog::runner() {
  return [this](std::int32_t type) { return openEffectDialog_(this, type); };
}

bool runEditStyleDialog(QWidget* parent, Engine& engine) {
  EditStyleDialog dialog(engine, parent);
  dialog.adjustSize();
  moveBesidePreview(&dialog, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vornel
