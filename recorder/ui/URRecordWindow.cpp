#include "recorder/ui/URRecordWindow.h"

TrecordWindow::TrecordWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("TrecordWindow");
}
