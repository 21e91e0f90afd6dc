#include "core/ui/URMessageBox.h"

TRMessageBox::TRMessageBox(QWidget* parent) : QDialog(parent) {
    setObjectName("TRMessageBox");
}
