#include "export/ui/URExport.h"

Trexport::Trexport(QWidget* parent) : QDialog(parent) {
    setObjectName("Trexport");
}
