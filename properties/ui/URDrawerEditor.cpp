#include "properties/ui/URDrawerEditor.h"

TDrawerEditorForm::TDrawerEditorForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TDrawerEditorForm");
}
