#include "export/ui/URExportSummary.h"

TRExportSummary::TRExportSummary(QWidget* parent) : QDialog(parent) {
    setObjectName("TRExportSummary");
}
