#include "ui/dialog_place.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "ui/logic/dialog_place.h"

namespace vornel {

namespace {

PlaceRect placeRect(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

// The outermost window above widget: the sheet, past any dialogs opened from it.
QWidget* mainWindowOf(QWidget* widget) {
  QWidget* top = widget ? widget->window() : nullptr;
  while (top && top->parentWidget()) top = top->parentWidget()->window();
  return top;
}

// The preview's rectangle on screen: a window of its own, or docked in the sheet.
QRect previewRect(QWidget* mainWindow) {
  QWidget* preview = nullptr;
  if (mainWindow) preview = mainWindow->findChild<QWidget*>("preview");
  if (!preview)
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "preview") preview = w;
  if (!preview || !preview->isVisible()) return {};
  if (preview->isWindow()) return preview->frameGeometry();
  return QRect(preview->mapToGlobal(QPoint(0, 0)), preview->size());
}

}  // namespace

void moveBesidePreview(QWidget* dialog, QWidget* parent) {
  QWidget* main = mainWindowOf(parent);
  QRect mainRect = main && main->isVisible() ? main->frameGeometry() : QRect();
  // A dialog opened from another dialog (an effect from Edit Style) keeps clear of that
  // one too, so that its buttons stay in reach.
  QWidget* opener = parent ? parent->window() : nullptr;
  if (opener && opener != main && opener->isVisible())
    mainRect =
        mainRect.isEmpty() ? opener->frameGeometry() : mainRect.united(opener->frameGeometry());
  const QRect preview = previewRect(main);
  QScreen* screen = main ? main->screen() : QApplication::primaryScreen();
  if (!screen || (mainRect.isEmpty() && preview.isEmpty())) return;
  const QSize size = dialog->frameGeometry().size().expandedTo(dialog->sizeHint());
  const PlacePoint at = placeBesidePreview(placeRect(mainRect), placeRect(preview), size.width(),
                                           size.height(), placeRect(screen->availableGeometry()));
  dialog->move(at.x, at.y);
}

}  // namespace vornel
