#include "ui/font_and_color.h"

#include <QColorDialog>
#include <QFontDialog>

#include "ui/logic/font_choice.h"

namespace vornel {

std::optional<LogFont> askFont(QWidget* parent, const LogFont& font) {
  const FontChoice start = fontChoiceFor(font);
  QFont initial(QString::fromStdString(start.family));
  initial.setPointSize(start.pointSize);
  initial.setWeight(static_cast<QFont::Weight>(start.weight));
  initial.setItalic(start.italic);
  initial.setUnderline(start.underline);
  initial.setStrikeOut(start.strikeOut);
  bool ok = false;
  const QFont chosen =
      QFontDialog::getFont(&ok, initial, parent, "Font", QFontDialog::DontUseNativeDialog);
  if (!ok) return std::nullopt;
  FontChoice choice;
  choice.family = chosen.family().toStdString();
  choice.pointSize = chosen.pointSize() > 0 ? chosen.pointSize() : start.pointSize;
  choice.weight = chosen.weight();
  choice.italic = chosen.italic();
  choice.underline = chosen.underline();
  choice.strikeOut = chosen.strikeOut();
  return logFontFor(choice, font);
}

QColor colorOf(std::uint32_t colorRef) {
  return QColor(colorRef & 0xFF, colorRef >> 8 & 0xFF, colorRef >> 16 & 0xFF);
}

std::uint32_t colorRefOf(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8 |
         static_cast<std::uint32_t>(color.blue()) << 16;
}

QColor askColor(QWidget* parent, std::uint32_t colorRef, const QString& title) {
  return QColorDialog::getColor(colorOf(colorRef), parent, title,
                                QColorDialog::DontUseNativeDialog);
}

}  // namespace vornel
