// The Background and Bulletin pages, as far as this window offers them yet: their
// picture and their group, with the controls that will edit the Template and Bulletin
// layers shown disabled.
#pragma once

#include <QWidget>

namespace vornel {

// pictureIndex 2 (Background) or 3 (Bulletin).
QWidget* makeComingPage(QWidget* parent, int pictureIndex);

}  // namespace vornel
