#pragma once
// The program's dark look: one palette and style sheet for every form, the user-interface font
// and sizes scaled by the screen's logical DPI over 96.

#include <QColor>
#include <QFont>

class QApplication;
class QWidget;

// The colours of the dark look.
namespace TRStyleColors {
inline constexpr QRgb Window = 0x20262F;     // forms, expanded group headers
inline constexpr QRgb ButtonFace = 0x2B333E; // collapsed group headers, buttons
inline constexpr QRgb Base = 0x181D24;       // edits, lists
inline constexpr QRgb Text = 0xECEAE8;       // labels and glyphs
inline constexpr QRgb Highlight = 0x00A1A1;  // selection, checked switches, track fill
inline constexpr QRgb HighlightText = 0xFFFFFF;
inline constexpr QRgb DisabledText = 0x7D848C;
} // namespace TRStyleColors

// The user-interface font family the program asks for; fontconfig resolves it to an installed
// free family.
inline constexpr const char* StyleFontFamily = "Segoe UI";

// Installs the palette, the style sheet and the font on the application.
void InstallStyle(QApplication& application);
// The palette of the dark look.
QPalette StylePalette();
// The user-interface font at a point size.
QFont StyleFont(qreal pointSize = 9, bool bold = false);
// n design pixels (at 96 DPI) in the logical pixels of `widget`'s screen (the primary screen
// without one), rounded to nearest.
int Scaled(int n, const QWidget* widget = nullptr);
// `color` with an alpha of 0..255.
QColor WithAlpha(QRgb color, int alpha);
