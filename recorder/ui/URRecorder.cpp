#include "recorder/ui/URRecorder.h"

TRRecorder::TRRecorder(QWidget* parent) : QDialog(parent) {
    setObjectName("TRRecorder");
}
