#include "recorder/ui/URRecorderSettings.h"

TRRecorderSettings::TRRecorderSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("TRRecorderSettings");
}
