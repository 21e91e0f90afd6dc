#include "editor/ui/UNewBlankProject.h"

Tnewblankproject::Tnewblankproject(QWidget* parent) : QDialog(parent) {
    setObjectName("Tnewblankproject");
}
