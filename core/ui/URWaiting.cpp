#include "core/ui/URWaiting.h"

TRWaiting::TRWaiting(QWidget* parent) : QDialog(parent) {
    setObjectName("TRWaiting");
}
