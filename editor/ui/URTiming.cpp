#include "editor/ui/URTiming.h"

#include "core/UREditorServices.h"
#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The boxes hold a time of day: the latest time they can show.
constexpr std::int32_t LatestBoxTime = 24 * 3600 * 1000 - 1;

QTimeEdit* TimeBox(const QString& name, const QString& hint, QWidget* parent) {
    auto* box = new QTimeEdit(parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    box->setDisplayFormat("HH:mm:ss.zzz");
    box->setTimeRange(QTime(0, 0), QTime::fromMSecsSinceStartOfDay(LatestBoxTime));
    box->setAlignment(Qt::AlignCenter);
    box->setMinimumWidth(Scaled(110, box));
    return box;
}

std::int32_t Ms(const QTimeEdit* box) {
    return box->time().msecsSinceStartOfDay();
}

std::int32_t TransitionNeed(const TRPropTransition* transition) {
    return transition && transition->Checked() ? transition->FDuration : 0;
}

bool Checked(const TRPropTransition* transition) {
    return transition && transition->Checked();
}

} // namespace

TRTiming::TRTiming(QWidget* parent) : QDialog(parent) {
    setObjectName("TRTiming");
    BuildForm();
}

void TRTiming::BuildForm() {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lbcaption = new QLabel("Time Start / End", this);
    lbcaption->setObjectName("lbcaption");
    edTimeStart = TimeBox("edTimeStart", "Time Start", this);
    edTimeEnd = TimeBox("edTimeEnd", "Time End", this);
    btnFixedDuration = new TRGlyphButton(GlyphFreeDuration, this);
    btnFixedDuration->setObjectName("btnFixedDuration");
    btnFixedDuration->setToolTip("Fixed Duration");
    btnExtendLeft = TimeButton(GlyphExtendLeft, "Extend Left", &TRTiming::ExtendLeftClick);
    btnExtendLeft->setObjectName("btnExtendLeft");
    btnMoveLeft = TimeButton(GlyphMoveLeft, "Move Left", &TRTiming::MoveLeftClick);
    btnMoveLeft->setObjectName("btnMoveLeft");
    btnMoveRight = TimeButton(GlyphMoveRight, "Move Right", &TRTiming::MoveRightClick);
    btnMoveRight->setObjectName("btnMoveRight");
    btnExtendRight = TimeButton(GlyphExtendRight, "Extend Right", &TRTiming::ExtendRightClick);
    btnExtendRight->setObjectName("btnExtendRight");

    auto* times = new QHBoxLayout;
    times->setSpacing(Scaled(4, this));
    for (QWidget* w :
         std::initializer_list<QWidget*>{btnExtendLeft, btnMoveLeft, edTimeStart, btnFixedDuration,
                                         edTimeEnd, btnMoveRight, btnExtendRight})
        times->addWidget(w);

    auto* pButtons = new QWidget(this);
    pButtons->setObjectName("pButtons");
    btnSave = new QPushButton("Save", pButtons);
    btnSave->setObjectName("btnSave");
    btnSave->setDefault(true);
    btnCancel = new QPushButton("Cancel", pButtons);
    btnCancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout(pButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(14, this), Scaled(12, this), Scaled(14, this),
                               Scaled(12, this));
    layout->setSpacing(Scaled(10, this));
    layout->addWidget(lbcaption);
    layout->addLayout(times);
    layout->addWidget(pButtons);
    setFixedSize(sizeHint());

    connect(btnSave, &QPushButton::clicked, this, [this] {
        Tag = 1;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        Tag = 0;
        reject();
    });
    connect(btnFixedDuration, &QAbstractButton::toggled, this, &TRTiming::FixedDurationClick);
    connect(edTimeStart, &QTimeEdit::timeChanged, this, &TRTiming::StartChanged);
    connect(edTimeEnd, &QTimeEdit::timeChanged, this, &TRTiming::EndChanged);
}

QToolButton* TRTiming::TimeButton(int glyph, const QString& hint, void (TRTiming::*handler)()) {
    auto* button = new QToolButton(this);
    button->setIcon(GlyphIcon(glyph, QColor(TRStyleColors::Text)));
    button->setIconSize(QSize(Scaled(20, this), Scaled(20, this)));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

std::int32_t TRTiming::MinimumLength(const TRObject& object) {
    std::int32_t m = object.GetLastTransfEndTime() + 100;
    if (Checked(object.TrIn()) || Checked(object.TrOut()))
        m = std::max(m, TransitionNeed(object.TrIn()) + TransitionNeed(object.TrOut()));
    return m;
}

void TRTiming::FindNeighbours(const TRObject& object) {
    const TRProject& project = *object.Project();
    std::int32_t e = project.TimeEnd(), f = 0;
    for (const auto& other : project.Objects()) {
        if (other.get() == &object || other->Track() != object.Track())
            continue;
        if (other->TimeStart() >= object.TimeEnd() && other->TimeStart() < e)
            e = other->TimeStart();
        if (other->TimeEnd() <= object.TimeStart() && other->TimeEnd() > f)
            f = other->TimeEnd();
    }
    FMinStart = f;
    FMaxEnd = e;
}

bool TRTiming::Prepare(TRObject* object) {
    Tag = 0;
    TRProject* project = EditorServices().ActiveProject();
    if (!object || !project || !object->Project() || project->SelectedObject == project)
        return false;
    setWindowTitle(object->ObjectName());
    FMinDuration = object->CanResizeTimeline() ? MinimumLength(*object)
                                               : object->TimeEnd() - object->TimeStart();
    FindNeighbours(*object);
    SetGuarded(edTimeStart, object->TimeStart());
    SetGuarded(edTimeEnd, object->TimeEnd());
    FCrtDuration = Ms(edTimeEnd) - Ms(edTimeStart);
    const QSignalBlocker guard(btnFixedDuration);
    btnFixedDuration->setChecked(!object->CanResizeTimeline());
    btnFixedDuration->setEnabled(object->CanResizeTimeline());
    FixedDurationClick();
    return true;
}

bool TRTiming::Execute(TRObject* object) {
    return Prepare(object) && exec() == QDialog::Accepted && Tag == 1;
}

std::int32_t TRTiming::TimeStart() const {
    return Ms(edTimeStart);
}

std::int32_t TRTiming::TimeEnd() const {
    return Ms(edTimeEnd);
}

void TRTiming::SetGuarded(QTimeEdit* box, std::int32_t ms) {
    const QSignalBlocker guard(box);
    box->setTime(QTime::fromMSecsSinceStartOfDay(std::clamp(ms, 0, LatestBoxTime)));
}

void TRTiming::FixedDurationClick() {
    const bool fixed = btnFixedDuration->isChecked();
    btnFixedDuration->SetGlyphIndex(fixed ? GlyphFixedDuration : GlyphFreeDuration);
    edTimeEnd->setEnabled(!fixed);
    btnExtendLeft->setEnabled(!fixed);
    btnExtendRight->setEnabled(!fixed);
}

void TRTiming::ExtendLeftClick() {
    SetGuarded(edTimeStart, FMinStart);
    FCrtDuration = Ms(edTimeEnd) - Ms(edTimeStart);
}

void TRTiming::ExtendRightClick() {
    SetGuarded(edTimeEnd, FMaxEnd);
    FCrtDuration = Ms(edTimeEnd) - Ms(edTimeStart);
}

void TRTiming::MoveLeftClick() {
    SetGuarded(edTimeStart, FMinStart);
    SetGuarded(edTimeEnd, FMinStart + FCrtDuration);
}

void TRTiming::MoveRightClick() {
    SetGuarded(edTimeEnd, FMaxEnd);
    SetGuarded(edTimeStart, FMaxEnd - FCrtDuration);
}

void TRTiming::StartChanged() {
    if (Ms(edTimeStart) < FMinStart)
        SetGuarded(edTimeStart, FMinStart);
    if (btnFixedDuration->isChecked()) {
        if (Ms(edTimeStart) + FCrtDuration > FMaxEnd)
            SetGuarded(edTimeStart, FMaxEnd - FCrtDuration);
        SetGuarded(edTimeEnd, Ms(edTimeStart) + FCrtDuration);
    } else if (Ms(edTimeEnd) < Ms(edTimeStart) + FMinDuration) {
        SetGuarded(edTimeStart, Ms(edTimeEnd) - FMinDuration);
    }
}

void TRTiming::EndChanged() {
    if (Ms(edTimeEnd) > FMaxEnd)
        SetGuarded(edTimeEnd, FMaxEnd);
    if (Ms(edTimeEnd) < Ms(edTimeStart) + FMinDuration)
        SetGuarded(edTimeEnd, Ms(edTimeStart) + FMinDuration);
}
