#include "editor/ui/URTiming.h"

TRTiming::TRTiming(QWidget* parent) : QDialog(parent) {
    setObjectName("TRTiming");
}
