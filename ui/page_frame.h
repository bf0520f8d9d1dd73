// What every page of the sheet shares: its picture strip on the left, its controls in a
// group box on the right, and controls that carry the name a screen reader speaks.
#pragma once

#include <QString>

class QGroupBox;
class QWidget;

namespace vornel {

inline constexpr int kPictureWidth = 174;
inline constexpr int kPictureHeight = 209;

// Lays out page as the strip with picture index (0 to 5) and an empty group box with
// title, which is returned for the page's controls.
QGroupBox* framePage(QWidget* page, int pictureIndex, const QString& groupTitle);

// Sets the accessible name (and the tooltip, when given) and returns the widget.
template <class W>
W* named(W* widget, const QString& name, const QString& tooltip = QString()) {
  widget->setAccessibleName(name);
  if (!tooltip.isEmpty()) widget->setToolTip(tooltip);
  return widget;
}

}  // namespace vornel
