#include "core/ui/URWaiting.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

TRWaiting::TRWaiting(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      icon_(new QLabel(this)), lbtext_(new QLabel("Please wait", this)), lbinfo_(new QLabel(this)) {
    setObjectName("TRWaiting");
    setWindowTitle("Tavrin");
    resize(400, 120);
    icon_->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(48, 48));
    QFont bold = lbtext_->font();
    bold.setBold(true);
    lbtext_->setFont(bold);
    auto* lines = new QVBoxLayout;
    lines->addWidget(lbtext_);
    lines->addWidget(lbinfo_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(icon_);
    layout->addLayout(lines, 1);
    InstallWaiting(this);
}

TRWaiting::~TRWaiting() {
    if (InstalledWaiting() == this)
        InstallWaiting(nullptr);
}

void TRWaiting::Execute() {
    lbinfo_->clear();
    show();
    lbtext_->repaint();
}

void TRWaiting::UpdateInfo(const QString& info) {
    lbinfo_->setText(info);
    lbinfo_->repaint();
    QApplication::processEvents();
}

QString TRWaiting::info() const {
    return lbinfo_->text();
}
