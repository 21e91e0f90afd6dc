#include "recorder/ui/URRecordingTime.h"

TRRecordingTime::TRRecordingTime(QWidget* parent) : QDialog(parent) {
    setObjectName("TRRecordingTime");
}
