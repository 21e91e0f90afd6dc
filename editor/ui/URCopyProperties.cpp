#include "editor/ui/URCopyProperties.h"

TRCopyProperties::TRCopyProperties(QWidget* parent) : QDialog(parent) {
    setObjectName("TRCopyProperties");
}
