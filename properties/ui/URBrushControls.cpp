#include "properties/ui/URBrushControls.h"

#include "core/ui/URColorButton.h"
#include "core/ui/URDial.h"
#include "core/ui/URGradientBar.h"
#include "core/ui/URStyle.h"
#include "objects/URColorStops.h"

#include <QActionGroup>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace {

constexpr int OpacitySteps[] = {0, 10, 25, 50, 60, 70, 80, 90, 100};

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}

int Percent(float value) {
    return static_cast<int>(std::trunc(double(value) * 100));
}

} // namespace

QString BrushStyleCaption(TRBrushStyle style) {
    switch (style) {
    case brsSolid:
        return QStringLiteral("Solid Color");
    case brsGradientLinear:
        return QStringLiteral("Linear Gradient");
    case brsGradientRadial:
        return QStringLiteral("Radial Gradient");
    case brsMediaLibrary:
        return QStringLiteral("Media Library");
    case brsEraseBackGround:
        return QStringLiteral("Erase Background");
    }
    return {};
}

void PaintPictureIcon(QPainter& painter, const QRect& r) {
    const int l = r.left(), t = r.top(), w = r.width(), h = r.height(), b = t + h;
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r);
    painter.setBrush(painter.pen().color());
    const QPoint hills[] = {{l, b},
                            {l, b - h / 4},
                            {l + w / 4, b - h / 2},
                            {l + w / 2, b - h / 4},
                            {l + 3 * w / 4, t + h / 3},
                            {l + w, b - h / 4},
                            {l + w, b}};
    painter.drawPolygon(hills, 7);
    painter.drawEllipse(QRect(l + w / 4, t + h / 4, w / 4, h / 4));
}

// ---- the style button ----

TRBrushStyleButton::TRBrushStyleButton(QWidget* parent) : QToolButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setPopupMode(QToolButton::InstantPopup);
    setFixedSize(Scaled(40, this), Scaled(22, this));
}

void TRBrushStyleButton::SetStyle(TRBrushStyle style) {
    FStyle = style;
    setToolTip(BrushStyleCaption(style));
    update();
}

void TRBrushStyleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(
        underMouse() ? QColor(TRStyleColors::Highlight) : WithAlpha(TRStyleColors::Text, 90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    const QRect r(3, 2, width() - 8, height() - 4);
    const QColor white = WithAlpha(0xFFFFFF, 150);
    painter.setPen(Qt::NoPen);
    switch (FStyle) {
    case brsSolid:
        painter.fillRect(r, white);
        break;
    case brsGradientLinear: {
        QLinearGradient ramp(r.topLeft(), r.topRight());
        ramp.setColorAt(0, white);
        ramp.setColorAt(1, WithAlpha(0, 150));
        painter.fillRect(r, ramp);
        break;
    }
    case brsGradientRadial: {
        QRadialGradient disc(QRectF(r).center(), r.height() / 2.0);
        disc.setColorAt(0, white);
        disc.setColorAt(1, WithAlpha(0, 150));
        painter.setBrush(disc);
        painter.drawEllipse(r);
        break;
    }
    case brsMediaLibrary:
        painter.setPen(QPen(white, 1));
        PaintPictureIcon(painter, r);
        break;
    case brsEraseBackGround:
        painter.setPen(QPen(white, 2));
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.bottomLeft(), r.topRight());
        break;
    }
}

// ---- the controls ----

TRBrushControls::TRBrushControls(QWidget* parent, const QList<TRBrushStyle>& styles)
    : QObject(parent), FType(new TRBrushStyleButton(parent)), FTypeMenu(new QMenu(parent)),
      FAngle(new TRDial(parent)), FPanel(new QWidget(parent)), FTrack(new TRGradientBar(FPanel)),
      FColorA(new TRColorButton(parent)), FColorB(new TRColorButton(parent)) {
    FType->setObjectName("btnType");
    FType->setMenu(FTypeMenu);
    auto* group = new QActionGroup(FTypeMenu);
    for (TRBrushStyle style : styles) {
        QAction* item = FTypeMenu->addAction(BrushStyleCaption(style));
        item->setCheckable(true);
        item->setData(int(style));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, style] {
            SetStyle(style);
            UpdateInterface();
            Q_EMIT Changed();
        });
    }
    FAngle->setObjectName("edAngle");
    FAngle->setToolTip("Linear Gradient Angle");
    FAngle->SetRange(0, 360);
    FAngle->SetPresets({0, 45, 90, 135, 180, 225, 270, 315});
    FAngle->setFixedSize(Scaled(24, parent), Scaled(24, parent));
    connect(FAngle, &TRDial::Changed, this, &TRBrushControls::Changed);
    FPanel->setObjectName("panelColor");
    FTrack->setObjectName("trackGA");
    FTrack->setToolTip("Left-Click: Set Color\rRight-Click: Set Opacity");
    connect(FTrack, &TRGradientBar::Changed, this, &TRBrushControls::Changed);
    FColorA->setObjectName("btnColor");
    FColorA->setToolTip("Left-Click: Set Color\nRight-Click: Set Opacity");
    FColorB->setObjectName("edColorB");
    FColorB->hide();
    for (int stop = 0; stop < 2; ++stop)
        FOpacityMenus[stop] = OpacityMenuFor(stop, parent);
    FColorA->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FColorA, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FOpacityMenus[0]->popup(FColorA->mapToGlobal(at)); });
    for (TRColorButton* button : {FColorA, FColorB})
        connect(button, &TRColorButton::Changed, this, [this] {
            ShowThumbColors();
            Q_EMIT Changed();
        });
    connect(FTrack, &TRGradientBar::ThumbClicked, this, [this](int thumb) {
        TRColorButton* button = thumb ? FColorB : FColorA;
        button->Gallery()->popup(FTrack->mapToGlobal(FTrack->ThumbCentre(thumb).toPoint()));
    });
    connect(FTrack, &TRGradientBar::ThumbMenuRequested, this,
            [this](int thumb, const QPoint& at) { FOpacityMenus[thumb & 1]->popup(at); });
}

QMenu* TRBrushControls::OpacityMenuFor(int stop, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(stop ? "pmColorB" : "pmColorA");
    auto* group = new QActionGroup(menu);
    for (int percent : OpacitySteps) {
        QAction* item = menu->addAction(percent == 0 ? QStringLiteral("Opacity 0 %")
                                                     : QStringLiteral("%1 %").arg(percent));
        item->setCheckable(true);
        item->setData(percent);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, stop, percent] {
            SetOpacity(stop, percent);
            Q_EMIT Changed();
        });
    }
    return menu;
}

void TRBrushControls::SetOpacity(int stop, int percent) {
    FOpacity[stop & 1] = percent;
    for (QAction* item : FOpacityMenus[stop & 1]->actions())
        item->setChecked(item->data().toInt() == percent);
}

void TRBrushControls::SetStyle(TRBrushStyle style) {
    FType->SetStyle(style);
    for (QAction* item : FTypeMenu->actions())
        item->setChecked(item->data().toInt() == int(style));
}

TRBrushStyle TRBrushControls::Style() const {
    return FType->Style();
}

void TRBrushControls::SetStyleVisible(TRBrushStyle style, bool visible) {
    for (QAction* item : FTypeMenu->actions())
        if (item->data().toInt() == int(style))
            item->setVisible(visible);
}

void TRBrushControls::SetStyleEnabled(TRBrushStyle style, bool enabled) {
    for (QAction* item : FTypeMenu->actions())
        if (item->data().toInt() == int(style))
            item->setEnabled(enabled);
}

void TRBrushControls::Load(float rotation, const TRColorStops& stops) {
    FAngle->SetValue(((-static_cast<int>(std::lround(rotation))) % 360 + 360) % 360);
    for (int stop = 0; stop < 2; ++stop) {
        const TRColor c = stops.GetColor(stop);
        (stop ? FColorB : FColorA)->SetColor(StopColor(c));
        SetOpacity(stop, Percent(c.Opacity));
        FTrack->SetPosition(stop, Percent(c.Position));
    }
    ShowThumbColors();
}

float TRBrushControls::Rotation() const {
    return -float(FAngle->Value());
}

void TRBrushControls::Save(TRColorStops& stops) const {
    const auto write = [this, &stops](int stop) {
        stops.SetColor(stop, ToTColor((stop ? FColorB : FColorA)->Color()),
                       float(FTrack->Position(stop)) / 100, float(FOpacity[stop]) / 100);
    };
    if (stops.GetNrColors() != 2) {
        stops.BeginAddColors();
        stops.AddColor(0, 0, 1);
        stops.AddColor(0, 1, 1);
        stops.EndAddColors();
    }
    write(0);
    write(1);
}

void TRBrushControls::ShowThumbColors() {
    FTrack->SetColors(FColorA->Color(), FColorB->Color());
}

void TRBrushControls::Layout(int left, int top, int right) {
    FLeft = left;
    FTop = top;
    FRight = right;
    UpdateInterface();
}

void TRBrushControls::UpdateInterface() {
    const TRBrushStyle style = Style();
    const auto* parent = FType->parentWidget();
    const int gap = Scaled(5, parent);
    FType->move(FLeft, FTop);
    const int x = FType->geometry().right() + gap + 1;
    const int rowHeight = FType->height();
    FAngle->move(x, FTop + (rowHeight - FAngle->height()) / 2);
    FColorA->move(FRight - FColorA->width(), FTop);
    const bool gradient = style == brsGradientLinear || style == brsGradientRadial;
    FAngle->setVisible(style == brsGradientLinear);
    FPanel->setVisible(gradient);
    FColorA->setVisible(style == brsSolid);
    FTrack->SetGradient(gradient);
    const int panelLeft = style == brsGradientLinear ? FAngle->geometry().right() + gap + 1 : x;
    FPanel->setGeometry(panelLeft, FTop, FRight - panelLeft, rowHeight);
    FTrack->setGeometry(0, 0, FPanel->width() - Scaled(4, parent), rowHeight);
}
