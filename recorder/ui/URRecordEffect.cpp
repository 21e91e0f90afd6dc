#include "recorder/ui/URRecordEffect.h"

TrecordEffect::TrecordEffect(QWidget* parent) : QWidget(parent) {
    setObjectName("TrecordEffect");
}
