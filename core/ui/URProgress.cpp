#include "core/ui/URProgress.h"

TrProgressForm::TrProgressForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TrProgressForm");
}
