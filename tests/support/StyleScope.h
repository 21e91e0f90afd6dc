#pragma once
// Installs the program's dark look for a test and puts the application's look back afterwards.

#include "core/ui/URStyle.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

class StyleScope {
public:
    StyleScope()
        : style_(QApplication::style()->name()), palette_(QApplication::palette()),
          font_(QApplication::font()), sheet_(qApp->styleSheet()) {
        InstallStyle(*qApp);
    }
    ~StyleScope() {
        qApp->setStyleSheet(sheet_);
        QApplication::setStyle(QStyleFactory::create(style_));
        QApplication::setPalette(palette_);
        QApplication::setFont(font_);
    }
    StyleScope(const StyleScope&) = delete;
    StyleScope& operator=(const StyleScope&) = delete;

private:
    QString style_;
    QPalette palette_;
    QFont font_;
    QString sheet_;
};
