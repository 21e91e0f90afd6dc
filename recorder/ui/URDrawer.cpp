#include "recorder/ui/URDrawer.h"

Tdrawerbuttons::Tdrawerbuttons(QWidget* parent) : QWidget(parent) {
    setObjectName("Tdrawerbuttons");
}
