#include "core/ui/URGPPanelEx.h"

#include "core/IKAnimation.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>

namespace {

std::unique_ptr<TIKPropertyAnimation> MakeAnimation(QObject* target, const char* property,
                                                    double duration,
                                                    const TIKTimingFunction& timing) {
    auto animation = std::make_unique<TIKPropertyAnimation>(target, property, TIKValue(0));
    animation->FreeOnFinished = false;
    animation->Duration = duration;
    animation->TimingFunction = timing;
    return animation;
}

} // namespace

TRGPPanelEx::TRGPPanelEx(QWidget* parent)
    : QWidget(parent), FHeader(new QWidget(this)),
      FExpandButton(new TRGlyphImage(GlyphExpand, FHeader)), FCaption(new QLabel(FHeader)),
      FCheckBox(new QCheckBox(FHeader)), FRefreshButton(new TRGlyphImage(GlyphReset, FHeader)),
      FHeightCompact(Scaled(25, this)), FHeightExpanded(Scaled(100, this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(true);
    setFont(StyleFont());
    setContentsMargins(Scaled(20, this), Scaled(2, this), Scaled(20, this), Scaled(2, this));
    FHeader->setObjectName("Header");
    FHeader->setAutoFillBackground(true);
    FExpandButton->setObjectName("ExpandButton");
    FCaption->setObjectName("Caption");
    FCaption->setFont(StyleFont());
    FCheckBox->setObjectName("CheckBox");
    FCheckBox->setCursor(Qt::PointingHandCursor);
    FCheckBox->setChecked(true);
    FRefreshButton->setObjectName("RefreshButton");
    FRefreshButton->setToolTip("Reset");
    FRefreshButton->SetGlyphColor(WithAlpha(TRStyleColors::Text, 150));
    FRefreshButton->hide();
    connect(FExpandButton, &TRGlyphImage::clicked, this, &TRGPPanelEx::ExpandButtonClick);
    connect(FCheckBox, &QCheckBox::toggled, this, &TRGPPanelEx::CheckBoxClick);
    connect(FRefreshButton, &TRGlyphImage::clicked, this, &TRGPPanelEx::RefreshButtonClick);

    FPropAnimation = MakeAnimation(this, "Height", 0.25, IKTimingEaseOut);
    FPropAnimation->OnFinish = [this](TIKAnimation*) { PropAnimationFinish(); };
    FButtonAnimation = MakeAnimation(FExpandButton, "RotationAngle", 0.25, IKTimingLinear);
    FRefreshAnimation = MakeAnimation(FRefreshButton, "RotationAngle", 0.15, IKTimingLinear);
    FRefreshAnimation->OnFinish = [this](TIKAnimation*) { FRefreshButton->SetRotationAngle(0); };
    SetHeight(FHeightCompact);
    resize(Scaled(100, this), height());
}

TRGPPanelEx::~TRGPPanelEx() {
    FButtonAnimation->OnFinish = nullptr;
    FPropAnimation->OnFinish = nullptr;
    FRefreshAnimation->OnFinish = nullptr;
}

void TRGPPanelEx::SetCaption(const QString& caption) {
    FCaption->setText(caption);
    Layout();
}

bool TRGPPanelEx::Checked() const {
    return FUseCheckBox ? FCheckBox->isChecked() : true;
}

void TRGPPanelEx::SetChecked(bool checked) {
    FSettingCheck = true;
    if (FUseCheckBox) {
        FCheckBox->setChecked(checked);
        FExpandButton->setVisible(checked);
    } else {
        FExpandButton->show();
    }
    FSettingCheck = false;
}

void TRGPPanelEx::SetExpanded(bool expanded) {
    FExpanded = expanded && Checked();
    FPropAnimation->OnFinish = nullptr;
    FPropAnimation->Stop();
    FButtonAnimation->Stop();
    FPropAnimation->OnFinish = [this](TIKAnimation*) { PropAnimationFinish(); };
    SetHeight(FExpanded ? FHeightExpanded : FHeightCompact);
    FExpandButton->SetRotationAngle(FExpanded ? 90 : 0);
    Layout();
}

void TRGPPanelEx::SetUseCheckBox(bool use) {
    FUseCheckBox = use;
    Layout();
}

void TRGPPanelEx::SetOnRefresh(std::function<void()> handler) {
    FOnRefresh = std::move(handler);
    Layout();
}

void TRGPPanelEx::SetHeight(int height) {
    setFixedHeight(qMax(0, height));
}

void TRGPPanelEx::ChangeScale(int m, int d) {
    FHeightCompact = static_cast<int>(std::lround(double(FHeightCompact) * m / d));
    FHeightExpanded = static_cast<int>(std::lround(double(FHeightExpanded) * m / d));
}

void TRGPPanelEx::ExpandButtonClick() {
    // The group follows the user's last request, also when it reverses an opening or closing
    // still under way.
    const bool expand = !FExpanded;
    StartAnimation(expand);
    FExpanded = expand;
    Layout();
    Q_EMIT Changed();
}

void TRGPPanelEx::CheckBoxClick() {
    if (FSettingCheck)
        return;
    if (FUseCheckBox) {
        FExpanded = FCheckBox->isChecked();
        FExpandButton->setVisible(FExpanded);
        Q_EMIT Changed();
    }
    StartAnimation(FExpanded);
    Layout();
}

void TRGPPanelEx::RefreshButtonClick() {
    if (FOnRefresh)
        FOnRefresh();
    FRefreshAnimation->FromValue = TIKValue(0);
    FRefreshAnimation->ToValue = TIKValue(360);
    FRefreshAnimation->Start();
}

void TRGPPanelEx::StartAnimation(bool expand) {
    FHeader->raise();
    FPropAnimation->ToValue = TIKValue(expand ? FHeightExpanded : FHeightCompact);
    FButtonAnimation->ToValue = TIKValue(expand ? 90 : 0);
    // A reversal continues from the current height; the interrupted run must not re-derive the
    // state from a height half way.
    FPropAnimation->OnFinish = nullptr;
    FPropAnimation->Stop();
    FButtonAnimation->Stop();
    FPropAnimation->OnFinish = [this](TIKAnimation*) { PropAnimationFinish(); };
    FPropAnimation->Start();
    FButtonAnimation->Start();
}

void TRGPPanelEx::PropAnimationFinish() {
    FExpanded = height() != FHeightCompact;
    Layout();
}

void TRGPPanelEx::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
    Q_EMIT Resized();
}

void TRGPPanelEx::Layout() {
    const QMargins margins = contentsMargins();
    const int headerHeight = Scaled(24, this);
    FHeader->setGeometry(0, 0, width(), headerHeight);
    const int glyph = Scaled(20, this);
    FExpandButton->setGeometry(0, Scaled(2, this), glyph, glyph);
    FCaption->adjustSize();
    FCaption->move(margins.left(), (headerHeight - FCaption->height()) / 2 + Scaled(1, this));
    const int box = Scaled(16, this);
    FCheckBox->setGeometry(width() - margins.right() - box, (headerHeight - box) / 2, box, box);
    if (FUseCheckBox) {
        FCheckBox->show();
        FExpandButton->setVisible(FCheckBox->isChecked());
    } else {
        FCheckBox->hide();
        FSettingCheck = true;
        FCheckBox->setChecked(true);
        FSettingCheck = false;
        FExpandButton->show();
    }
    const int reset = Scaled(14, this);
    const int resetRight = FUseCheckBox ? width() - margins.right() - box - Scaled(6, this)
                                        : width() - margins.right();
    FRefreshButton->setGeometry(resetRight - reset, (headerHeight - reset) / 2, reset, reset);
    FRefreshButton->setVisible(FOnRefresh && FExpanded);
    QPalette headerPalette = FHeader->palette();
    headerPalette.setColor(QPalette::Window,
                           QColor(FExpanded ? TRStyleColors::Window : TRStyleColors::ButtonFace));
    FHeader->setPalette(headerPalette);
    FHeader->raise();
    update();
}

void TRGPPanelEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(TRStyleColors::Window));
    const QMargins margins = contentsMargins();
    if (FExpanded) {
        painter.setPen(WithAlpha(TRStyleColors::Text, 50));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
        painter.setPen(WithAlpha(TRStyleColors::Text, 30));
        painter.drawLine(margins.left(), height() - 1, width() - margins.right(), height() - 1);
    }
}
