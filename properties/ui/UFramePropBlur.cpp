#include "properties/ui/UFramePropBlur.h"

#include "core/URProject.h"
#include "graphics/URPropBlur.h"

#include <QCheckBox>

namespace {

const TREditorRow BlurRow = {"edBlur", "Size",
                             0,        30,
                             "px",     10,
                             2,        {0, 10, 20, 30},
                             1,        FieldOf<TRPropBlur, &TRPropBlur::FSize>};

} // namespace

TFramePropBlur::TFramePropBlur(QWidget* parent)
    : TFramePropRows(undoInit, "TFramePropBlur", "panelBlur", "Blur", parent),
      FBorder(new QCheckBox) {
    FBorder->setObjectName("edBlurBorder");
    AddEditor(BlurRow);
    AddRow("Border", {FBorder});
    connect(FBorder, &QCheckBox::toggled, this, &TFramePropBlur::PropertyChanged);
}

void TFramePropBlur::LoadOthers() {
    FBorder->setChecked(static_cast<TRPropBlur*>(FProperty)->FBorder);
}

void TFramePropBlur::SaveOthers() {
    static_cast<TRPropBlur*>(FProperty)->FBorder = FBorder->isChecked();
}

void TFramePropBlur::RecordChange(TRProject& project) {
    project.SetModified(true);
}
