// The system font and colour dialogs, in the engine's terms: a LOGFONT in, a LOGFONT
// out; colours as 0x00BBGGRR.
#pragma once

#include <QColor>
#include <optional>

#include "platform/log_font.h"

class QWidget;

namespace vornel {

// Qt's font dialog on the installed font families, starting from font. Nothing when
// cancelled.
std::optional<LogFont> askFont(QWidget* parent, const LogFont& font);

// Qt's colour dialog with its custom colours, starting from colorRef. An invalid colour
// when cancelled.
QColor askColor(QWidget* parent, std::uint32_t colorRef, const QString& title);

QColor colorOf(std::uint32_t colorRef);
std::uint32_t colorRefOf(const QColor& color);

}  // namespace vornel
