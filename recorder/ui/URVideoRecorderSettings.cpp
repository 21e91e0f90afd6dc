#include "recorder/ui/URVideoRecorderSettings.h"

TRVideoRecorderSettings::TRVideoRecorderSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("TRVideoRecorderSettings");
}
