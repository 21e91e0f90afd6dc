#include "core/ui/URGPEditEx.h"

#include "core/IKAnimation.h"
#include "core/ui/URStyle.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <cmath>

namespace {

int Trunc(double value) {
    return static_cast<int>(std::trunc(value));
}

bool NarrowTrackBar(const QString& name) {
    for (const char* narrow :
         {"edAudioLoudness", "edAudioVolume", "edVideoSpeed", "edReverseSpeed", "edVideoQuality"})
        if (name == QLatin1String(narrow))
            return true;
    return false;
}

} // namespace

TRSpinEdit::TRSpinEdit(QWidget* parent) : QDoubleSpinBox(parent) {
    setDecimals(2);
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QString TRSpinEdit::textFromValue(double value) const {
    QString text = QString::number(value, 'f', decimals());
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text;
}

TRGPEditEx::TRGPEditEx(QWidget* parent)
    : QWidget(parent), FCaption(new QLabel(this)), FTrackBar(new QSlider(Qt::Horizontal, this)),
      FEdit(new TRSpinEdit(this)) {
    setFont(StyleFont());
    setContentsMargins(Scaled(20, this), Scaled(2, this), Scaled(20, this), Scaled(2, this));
    FCaption->setObjectName("Caption");
    FCaption->setFont(StyleFont());
    FCaption->installEventFilter(this);
    FEdit->setObjectName("Edit");
    FEdit->setFont(StyleFont(8, true));
    FEdit->setKeyboardTracking(true);
    FTrackBar->setObjectName("TrackBar");
    FTrackBar->setFocusPolicy(Qt::NoFocus);
    FTrackBar->setCursor(Qt::PointingHandCursor);
    FTrackBar->setPageStep(0);
    FTrackBar->installEventFilter(this);
    FBlocked = true;
    FEdit->setRange(FMinValue, FMaxValue);
    FEdit->setValue(FValue);
    FTrackBar->setRange(Trunc(FMinValue), Trunc(FMaxValue));
    FTrackBar->setValue(Trunc(FValue));
    FBlocked = false;
    FSlide = std::make_unique<TIKPropertyAnimation>(FTrackBar, "value", TIKValue(0));
    FSlide->FreeOnFinished = false;
    FSlide->Duration = 0.3;
    FSlide->TimingFunction = IKTimingEaseOut;
    FSlide->OnFinish = [this](TIKAnimation*) { SlideFinish(); };
    connect(FTrackBar, &QSlider::valueChanged, this, &TRGPEditEx::TrackBarChange);
    // With keyboard tracking every typed value arrives here; Enter and leaving the edit
    // confirm it again, which changes nothing.
    connect(FEdit, &QDoubleSpinBox::valueChanged, this, &TRGPEditEx::EditChange);
    resize(Scaled(100, this), Scaled(25, this));
}

TRGPEditEx::~TRGPEditEx() {
    FSlide->OnFinish = nullptr;
}

void TRGPEditEx::SetValue(double value) {
    if (value == FValue)
        return;
    FValue = value;
    FProgramMode = true;
    if (!FAnimate) {
        ShowPosition(Trunc(value));
        FProgramMode = false;
        return;
    }
    // A slide already under way is replaced, not finished: its end must not hand the track bar
    // back to the user while the new slide still moves it.
    FSlide->OnFinish = nullptr;
    FSlide->Stop();
    FSlide->OnFinish = [this](TIKAnimation*) { SlideFinish(); };
    FSlide->ToValue = TIKValue(double(Trunc(value)));
    FSlide->Start();
}

void TRGPEditEx::SlideFinish() {
    ShowPosition(Trunc(FValue));
    FProgramMode = false;
}

// Shows the program's value in the track bar and the edit without reporting a change.
void TRGPEditEx::ShowPosition(int position) {
    FBlocked = true;
    FTrackBar->setValue(position);
    FEdit->setValue(FValue);
    FBlocked = false;
    Layout();
}

void TRGPEditEx::TrackBarChange(int position) {
    if (FBlocked || FProgramMode)
        return;
    FBlocked = true;
    for (int favourite : FSnapValues)
        if (favourite - FSnapDelta <= position && position <= favourite + FSnapDelta) {
            position = favourite;
            FTrackBar->setValue(position);
            break;
        }
    FEdit->setValue(position);
    FBlocked = false;
    FValue = position;
    Q_EMIT Changed();
}

void TRGPEditEx::EditChange(double value) {
    if (FBlocked || FProgramMode || value == FValue)
        return;
    FBlocked = true;
    FTrackBar->setValue(Trunc(value));
    FBlocked = false;
    FValue = value;
    Q_EMIT Changed();
}

void TRGPEditEx::SetMinMaxValues(double minimum, double maximum) {
    FBlocked = true;
    FMinValue = minimum;
    FMaxValue = maximum;
    FTrackBar->setRange(Trunc(minimum), Trunc(maximum));
    FEdit->setRange(minimum, maximum);
    FBlocked = false;
    FValue = qBound(minimum, FValue, maximum);
    ShowPosition(Trunc(FValue));
}

void TRGPEditEx::SetUM(const QString& unit) {
    FUM = unit;
    FEdit->setSuffix(unit.isEmpty() ? QString() : " " + unit);
    Layout();
}

void TRGPEditEx::SetDefaultValue(double value) {
    FDefaultValue = value;
    if (!FPopupMenu)
        return;
    const int rounded = static_cast<int>(std::nearbyint(value));
    for (QAction* action : FPopupMenu->actions())
        if (action->data().toInt() == rounded)
            FPopupMenu->setDefaultAction(action);
}

void TRGPEditEx::SetSnapValues(const QList<int>& values) {
    FSnapValues = values;
    if (values.isEmpty())
        return;
    delete FPopupMenu;
    FPopupMenu = new QMenu(this);
    for (int i = 0; i < values.size(); ++i) {
        QAction* action = FPopupMenu->addAction(QString::number(values[i]) + " " + FUM);
        action->setData(values[i]);
        connect(action, &QAction::triggered, this, [this, i] { PopupMenuClick(i); });
    }
    SetDefaultValue(FDefaultValue);
    FCaption->setCursor(Qt::PointingHandCursor);
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(FEdit),
                            static_cast<QWidget*>(FTrackBar), static_cast<QWidget*>(FCaption)}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& at) { FPopupMenu->popup(widget->mapToGlobal(at)); });
    }
}

void TRGPEditEx::PopupMenuClick(int index) {
    if (index < 0 || index >= FSnapValues.size())
        return;
    FSlide->OnFinish = nullptr;
    FSlide->Stop();
    FSlide->OnFinish = [this](TIKAnimation*) { SlideFinish(); };
    FProgramMode = false;
    const int wanted = FSnapValues[index];
    if (FTrackBar->value() == wanted)
        TrackBarChange(wanted);
    else
        FTrackBar->setValue(wanted);
}

void TRGPEditEx::SetCaption(const QString& caption) {
    FCaption->setText(caption);
}

void TRGPEditEx::CaptionClick() {
    if (FPopupMenu)
        FPopupMenu->popup(
            mapToGlobal(QPoint(FCaption->x(), FCaption->y() + FCaption->height() + 5)));
}

bool TRGPEditEx::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FCaption && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        CaptionClick();
    // A user press on the track bar takes over from a program slide.
    if (watched == FTrackBar && event->type() == QEvent::MouseButtonPress && FProgramMode) {
        FSlide->OnFinish = nullptr;
        FSlide->Stop();
        FSlide->OnFinish = [this](TIKAnimation*) { SlideFinish(); };
        SlideFinish();
    }
    return QWidget::eventFilter(watched, event);
}

int TRGPEditEx::TrackBarWidth() const {
    if (NarrowTrackBar(objectName()))
        return Scaled(95, this);
    if (objectName() == QLatin1String("EdZoomCanvas"))
        return Scaled(75, this);
    return Scaled(111, this);
}

void TRGPEditEx::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

// The edit is 60 design pixels wide, wider when its longest number and unit need more.
int TRGPEditEx::EditWidth() const {
    const QFontMetrics metrics(FEdit->font());
    int text = 0;
    for (const QString& shown : {FEdit->textFromValue(FMinValue), FEdit->textFromValue(FMaxValue),
                                 FEdit->textFromValue(FValue)})
        text = qMax(text, metrics.horizontalAdvance(shown + FEdit->suffix()));
    return qMax(Scaled(60, this), text + Scaled(14, this));
}

void TRGPEditEx::Layout() {
    const QMargins margins = contentsMargins();
    const int editWidth = EditWidth();
    const int rowHeight = height() - margins.top() - margins.bottom();
    FEdit->setGeometry(width() - editWidth - margins.right(), margins.top(), editWidth, rowHeight);
    const int trackWidth = TrackBarWidth();
    const int trackHeight = Scaled(15, this);
    FTrackBar->setGeometry(FEdit->x() - trackWidth - Scaled(5, this),
                           margins.top() + (rowHeight - trackHeight) / 2, trackWidth, trackHeight);
    const int captionLeft = Scaled(10, this) + margins.left();
    FCaption->setGeometry(captionLeft, margins.top(),
                          qMax(0, FTrackBar->x() - captionLeft - Scaled(5, this)), rowHeight);
}
