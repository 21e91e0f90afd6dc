#include "editor/ui/URPasteProperties.h"

#include "core/URPropBase.h"
#include "core/URUtils.h"
#include "core/ui/URStyle.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Copied outside the property list, so every copy has them.
bool AlwaysOffered(TRPropertyType type) {
    return type == ptTrIn || type == ptTrOut || type == ptHTMLMarker || type == ptAudioV ||
           type == ptMediaSpeed;
}

// Group types a box can stand for.
constexpr int LastPasteableType = 38;

} // namespace

TRPasteProperties::TRPasteProperties(QWidget* parent) : QDialog(parent) {
    setObjectName("TRPasteProperties");
    BuildForm();
}

void TRPasteProperties::BuildForm() {
    setWindowTitle("Paste Properties");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* pButtons = new QWidget(this);
    pButtons->setObjectName("pButtons");
    btnPaste = new QPushButton("Paste", pButtons);
    btnPaste->setObjectName("btnPaste");
    btnPaste->setDefault(true);
    btnCancel = new QPushButton("Cancel", pButtons);
    btnCancel->setObjectName("btnCancel");
    ckAll = new QCheckBox("Check All", pButtons);
    ckAll->setObjectName("ckAll");
    ckAll->setChecked(true);
    auto* buttons = new QHBoxLayout(pButtons);
    buttons->setContentsMargins(0, Scaled(6, this), 0, 0);
    buttons->addWidget(ckAll);
    buttons->addStretch();
    buttons->addWidget(btnPaste);
    buttons->addWidget(btnCancel);

    auto* boxes = new QGridLayout;
    boxes->setHorizontalSpacing(Scaled(24, this));
    boxes->setVerticalSpacing(Scaled(6, this));
    constexpr int rows = (BoxCount + 1) / 2;
    for (int i = 0; i < BoxCount; ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString("ck%1").arg(i + 1));
        FBoxes[size_t(i)] = box;
        boxes->addWidget(box, i % rows, i / rows);
    }
    boxes->setRowStretch(rows, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(16, this), Scaled(14, this), Scaled(16, this),
                               Scaled(12, this));
    layout->addLayout(boxes);
    layout->addWidget(pButtons);
    setMinimumWidth(Scaled(420, this));

    connect(ckAll, &QCheckBox::clicked, this, &TRPasteProperties::CheckAllClick);
    connect(btnPaste, &QPushButton::clicked, this, [this] {
        Tag = 1;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        Tag = 0;
        reject();
    });
}

bool TRPasteProperties::Pasteable(TRPropertyType type) {
    return AlwaysOffered(type) ||
           (PropertiesClipboard.PropList && PropertiesClipboard.PropList->GetProperty(type));
}

void TRPasteProperties::SetBox(int number, TRPropertyType type) {
    QCheckBox* box = Box(number);
    FBoxTags[size_t(number - 1)] = type;
    if (type == ptBase) {
        box->setChecked(false);
        box->hide();
        return;
    }
    const bool pasteable = Pasteable(type);
    box->setText(PropertyCaption(type));
    box->setChecked(pasteable);
    box->setEnabled(pasteable);
    box->show();
}

void TRPasteProperties::Prepare(TRObjectType objectType, const TRPropertiesChecked& props) {
    ckAll->setChecked(true);
    if (objectType != otProject) {
        // Entry 0 of the row is the name group, which is never pasted.
        const TRPropertiesObject& row = ObjectPropertyGroups[objectType];
        for (int i = 1; i <= BoxCount; ++i)
            SetBox(i, row[size_t(i)]);
        return;
    }
    int next = 1;
    for (int t = 1; t <= LastPasteableType && next <= BoxCount; ++t)
        if (props[size_t(t)])
            SetBox(next++, TRPropertyType(t));
    for (; next <= BoxCount; ++next)
        SetBox(next, ptBase);
}

void TRPasteProperties::Collect(TRPropertiesChecked& props) const {
    props.fill(false);
    for (int i = 1; i <= BoxCount; ++i) {
        const QCheckBox* box = Box(i);
        const int t = BoxTag(i);
        if (!box->isHidden() && box->isEnabled() && t >= 1 && t <= LastPasteableType)
            props[size_t(t)] = box->isChecked();
    }
}

bool TRPasteProperties::Execute(TRObjectType objectType, TRPropertiesChecked& props) {
    Prepare(objectType, props);
    Tag = 0;
    exec();
    if (Tag != 1)
        return false;
    Collect(props);
    return true;
}

void TRPasteProperties::CheckAllClick() {
    for (QCheckBox* box : FBoxes)
        if (!box->isHidden() && box->isEnabled())
            box->setChecked(ckAll->isChecked());
}
