#include "recorder/ui/URPreviewCamera.h"

TpreviewCamera::TpreviewCamera(QWidget* parent) : QWidget(parent) {
    setObjectName("TpreviewCamera");
}
