#include "editor/ui/URPasteProperties.h"

TRPasteProperties::TRPasteProperties(QWidget* parent) : QDialog(parent) {
    setObjectName("TRPasteProperties");
}
