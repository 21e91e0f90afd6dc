#include "core/ui/URStyle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

namespace {

const char* StyleSheet = R"(
QToolTip { color: #ECEAE8; background: #2B333E; border: 1px solid #3E4A5A; }
QMenu { background: #2B333E; color: #ECEAE8; border: 1px solid #3E4A5A; }
QMenu::item { padding: 4px 20px 4px 20px; }
QMenu::item:selected { background: #00A1A1; color: #FFFFFF; }
QMenu::separator { height: 1px; background: #3E4A5A; margin: 3px 6px; }
QAbstractSpinBox, QLineEdit, QComboBox { background: #181D24; color: #ECEAE8;
    border: 1px solid #3E4A5A; border-radius: 3px; padding: 1px 4px; }
QAbstractSpinBox:disabled, QLineEdit:disabled, QComboBox:disabled { color: #7D848C; }
QAbstractSpinBox:focus, QLineEdit:focus, QComboBox:focus { border-color: #00A1A1; }
QAbstractSpinBox::up-button, QAbstractSpinBox::down-button { width: 0px; border: none; }
QComboBox QAbstractItemView { background: #2B333E; color: #ECEAE8;
    selection-background-color: #00A1A1; border: 1px solid #3E4A5A; }
QPushButton { background: #2B333E; color: #ECEAE8; border: 1px solid #3E4A5A;
    border-radius: 3px; padding: 3px 12px; }
QPushButton:hover { border-color: #00A1A1; }
QPushButton:pressed { background: #00A1A1; }
QSlider::groove:horizontal { height: 3px; background: #3E4A5A; border-radius: 1px; }
QSlider::sub-page:horizontal { background: #00A1A1; border-radius: 1px; }
QSlider::handle:horizontal { background: #ECEAE8; width: 11px; height: 11px;
    margin: -4px 0; border-radius: 5px; }
QSlider::handle:horizontal:disabled { background: #7D848C; }
QCheckBox { color: #ECEAE8; }
QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid #7D848C;
    border-radius: 2px; background: #20262F; }
QCheckBox::indicator:hover { border-color: #ECEAE8; }
QCheckBox::indicator:checked { background: #00A1A1; border-color: #00A1A1; }
QCheckBox:disabled { color: #7D848C; }
QCheckBox::indicator:disabled { border-color: #3A424D; background: #1B2027; }
)";

qreal LogicalDpi(const QWidget* widget) {
    const QScreen* screen =
        widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

QPalette StylePalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(TRStyleColors::Window));
    palette.setColor(QPalette::WindowText, QColor(TRStyleColors::Text));
    palette.setColor(QPalette::Base, QColor(TRStyleColors::Base));
    palette.setColor(QPalette::AlternateBase, QColor(TRStyleColors::ButtonFace));
    palette.setColor(QPalette::Text, QColor(TRStyleColors::Text));
    palette.setColor(QPalette::Button, QColor(TRStyleColors::ButtonFace));
    palette.setColor(QPalette::ButtonText, QColor(TRStyleColors::Text));
    palette.setColor(QPalette::Highlight, QColor(TRStyleColors::Highlight));
    palette.setColor(QPalette::HighlightedText, QColor(TRStyleColors::HighlightText));
    palette.setColor(QPalette::ToolTipBase, QColor(TRStyleColors::ButtonFace));
    palette.setColor(QPalette::ToolTipText, QColor(TRStyleColors::Text));
    palette.setColor(QPalette::PlaceholderText, QColor(TRStyleColors::DisabledText));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(TRStyleColors::DisabledText));
    return palette;
}

void InstallStyle(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        application.setStyle(fusion);
    application.setPalette(StylePalette());
    application.setFont(StyleFont());
    application.setStyleSheet(StyleSheet);
}

QFont StyleFont(qreal pointSize, bool bold) {
    QFont font(StyleFontFamily);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

int Scaled(int n, const QWidget* widget) {
    return static_cast<int>(std::lround(n * LogicalDpi(widget) / 96.0));
}

QColor WithAlpha(QRgb color, int alpha) {
    QColor result(color);
    result.setAlpha(alpha);
    return result;
}
