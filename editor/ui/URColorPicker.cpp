#include "editor/ui/URColorPicker.h"

TRColorPicker::TRColorPicker(QWidget* parent) : QDialog(parent) {
    setObjectName("TRColorPicker");
}
