#include "properties/ui/UFramePropShape.h"

#include "core/ui/URDial.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URStyle.h"
#include "objects/URPropShape.h"
#include "objects/URShapeKinds.h"
#include "properties/ui/URGalleryMenu.h"
#include "properties/ui/URShapeImageLists.h"

#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <cmath>

// The tail walks the rectangle's corners counter-clockwise, a quarter of the dial for each
// eighth of the range: bottom-right at 135 degrees, bottom-left 225, top-left 315, top-right 45.
int BalloonAngle(double a, int current) {
    double d;
    if (a >= 0 && a < 0.125)
        d = a * 90 / 0.125 + 135;
    else if (a >= 0.125 && a < 0.25)
        d = (a - 0.125) * 90 / 0.125 + 225;
    else if (a >= 0.25 && a < 0.375) {
        d = (a - 0.25) * 90 / 0.125 + 315;
        if (d > 360)
            d -= 360;
    } else if (a >= 0.375 && a <= 0.5)
        d = (a - 0.375) * 90 / 0.125 + 45;
    else
        return current;
    return int(std::lround(d));
}

double BalloonRoundness(int d) {
    if (d >= 135 && d < 225)
        return (d - 135) * 0.125 / 90;
    if (d >= 225 && d < 315)
        return (d - 225) * 0.125 / 90 + 0.125;
    if (d >= 315 || d < 45)
        return ((d < 45 ? d + 360 : d) - 315) * 0.125 / 90 + 0.25;
    return (d - 45) * 0.125 / 90 + 0.375;
}

TFramePropShape::TFramePropShape(QWidget* parent)
    : TFramePropBase(undoShape, parent), FTypeLabel(new QLabel("Type", Container())),
      FShapeButton(new QToolButton(Container())), FGallery(new TRGalleryMenu(this)),
      FRoundness(new QSlider(Qt::Horizontal, Container())), FAdjustMenu(new QMenu(this)),
      FAngle(new TRDial(Container())) {
    setObjectName("TFramePropShape");
    resize(Scaled(451, this), Scaled(60, this));
    Panel()->setObjectName("panelShape");
    Panel()->SetCaption("Shape");
    Panel()->SetUseCheckBox(false);
    Panel()->SetHeightCompact(Scaled(25, this));
    Panel()->SetHeightExpanded(Scaled(60, this));
    FTypeLabel->setObjectName("lbtype");
    FShapeButton->setObjectName("btnShape");
    FShapeButton->setIconSize(QSize(Scaled(20, this), Scaled(14, this)));
    FShapeButton->setCursor(Qt::PointingHandCursor);
    FGallery->setObjectName("gmShape");
    FGallery->SetColumns(5);
    FRoundness->setObjectName("roundness");
    FRoundness->setRange(0, 50);
    FRoundness->setToolTip("Adjust");
    FRoundness->setContextMenuPolicy(Qt::CustomContextMenu);
    FAdjustMenu->setObjectName("pmadjust");
    for (int percent : {0, 25, 50, 75, 100}) {
        QAction* item = FAdjustMenu->addAction(QString("%1%").arg(percent));
        connect(item, &QAction::triggered, this, [this, percent] {
            FRoundness->setValue(percent / 2); // "100%" is the track bar's maximum, 50
        });
    }
    FAngle->setObjectName("edAngle");
    FAngle->SetRange(0, 360);
    FAngle->SetDefaultValue(0);
    FAngle->SetPresets({0, 45, 90, 135, 180, 225, 270, 315});
    FAngle->setToolTip("Angle");
    connect(FShapeButton, &QToolButton::clicked, this, &TFramePropShape::OpenGallery);
    connect(FGallery, &TRGalleryMenu::Changed, this, &TFramePropShape::PropertyChanged);
    connect(FRoundness, &QSlider::valueChanged, this, &TFramePropShape::PropertyChanged);
    connect(FRoundness, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FAdjustMenu->popup(FRoundness->mapToGlobal(at)); });
    connect(FAngle, &TRDial::Changed, this, &TFramePropShape::PropertyChanged);
}

void TFramePropShape::Init() {
    Init(otShape);
}

void TFramePropShape::Init(TRObjectType type) {
    const TRShapeImageLists& lists = ShapeImageLists();
    FGallery->SetImages(&lists.ShapeIconLargeList);
    FGallery->Clear();
    for (int row = 0; row < ShapeKindCount; ++row)
        if (ShapeKinds[row].AllowedFor[type])
            FGallery->AddItem(row, QString::fromLatin1(ShapeKinds[row].Name));
    SetContainerHeight(Scaled(35, this));
    TFramePropBase::Init();
    Panel()->SetExpanded(false);
    PanelResize();
    LayoutControls();
}

TRPropShape* TFramePropShape::Group() const {
    return dynamic_cast<TRPropShape*>(FProperty);
}

void TFramePropShape::ShowKind(int row) {
    const TRShapeKind& kind = ShapeKinds[row];
    const QList<QIcon>& icons = ShapeImageLists().ShapeIconImageList;
    FShapeButton->setIcon(row < icons.size() ? icons[row] : QIcon());
    FShapeButton->setToolTip(QString::fromLatin1(kind.Name));
    FRoundness->setVisible(kind.HasAdjust);
    FRoundness->setToolTip(QString::fromLatin1(kind.AdjustCaption));
    FAngle->setVisible(!kind.HasAdjust && FRoundness->toolTip() == QLatin1String("Angle"));
}

void TFramePropShape::LoadControls() {
    const TRPropShape* group = Group();
    if (!group || FGallery->ItemCount() == 0)
        return;
    int item = 0;
    for (int i = 0; i < FGallery->ItemCount(); ++i)
        if (FGallery->Hint(i) == group->FShapeName) {
            item = i;
            break;
        }
    FGallery->SetSelectedIndex(item);
    ShowKind(FGallery->ImageIndex(item));
    FRoundness->setValue(int(group->FRoundness * 100));
    if (!FAngle->isHidden())
        FAngle->SetValue(BalloonAngle(group->FRoundness, FAngle->Value()));
}

void TFramePropShape::SaveControls() {
    TRPropShape* group = Group();
    if (!group || FGallery->ItemCount() == 0)
        return;
    int item = FGallery->SelectedIndex();
    if (item < 0 || item >= FGallery->ItemCount())
        item = 0;
    const int row = FGallery->ImageIndex(item);
    group->FShapeName = QString::fromLatin1(ShapeKinds[row].Name);
    ShowKind(row);
    if (!FRoundness->isHidden())
        group->FRoundness = float(FRoundness->value() / 100.0);
    else if (!FAngle->isHidden())
        group->FRoundness = float(BalloonRoundness(FAngle->Value()));
}

void TFramePropShape::OpenGallery() {
    FGallery->Popup(FShapeButton->mapToGlobal(QPoint(0, FShapeButton->height())));
}

void TFramePropShape::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropShape::LayoutControls() {
    const int left = Scaled(20, this);
    const int row = Scaled(24, this);
    const int top = Scaled(4, this);
    const int labelWidth = Scaled(70, this);
    const int gap = Scaled(12, this);
    Container()->resize(width(), Container()->height());
    FTypeLabel->setGeometry(left, top, labelWidth, row);
    FShapeButton->setGeometry(left + labelWidth, top, Scaled(40, this), row);
    const int adjustLeft = FShapeButton->geometry().right() + 1 + gap;
    FRoundness->setGeometry(adjustLeft, top, qMax(row, width() - adjustLeft - left), row);
    FAngle->setGeometry(adjustLeft, top, row, row);
    PanelResize();
}
