// The editor's view controls: the timeline control's host, the canvas zoom that fits a
// project, the mouse wheel over canvas and timeline, the splitter above the timeline, the
// vertical timeline scroll and the routing of keys before the actions see them.

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/ui/URGPEditEx.h"
#include "editor/ui/UEditor.h"
#include "properties/ui/URPropertiesPages.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QTextEdit>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

TEditor* HookedEditor = nullptr;

} // namespace

// What the timeline asks of the window. While it lives, the project's own edits select and
// move the playhead through the window too.
class TEditor::TTimelineHost : public TRTimelineHost {
public:
    explicit TTimelineHost(TEditor& editor) : FEditor(editor) {
        HookedEditor = &editor;
        SelectObjectHook = [](TRProject& project, TRObject* object, bool unselect) {
            if (HookedEditor->ActiveProject == &project)
                HookedEditor->SetSelectedObject(object, unselect);
        };
        SetPlayHeadHook = [](TRProject& project, std::int32_t time) {
            if (HookedEditor->ActiveProject == &project)
                HookedEditor->SetPlayHead(time);
            else
                project.SetTimePosition(time);
        };
    }
    ~TTimelineHost() override {
        FEditor.Timeline.SetHost(nullptr);
        if (HookedEditor != &FEditor)
            return;
        HookedEditor = nullptr;
        SelectObjectHook = nullptr;
        SetPlayHeadHook = nullptr;
    }
    void SetPlayHead(std::int32_t time) override { FEditor.SetPlayHead(time); }
    void Stop() override { EditorServices().Stop(); }
    bool PlayerRunning() const override { return FEditor.Player->Running(); }
    void SetSelectedObject(TRObject* object, bool unselect) override {
        FEditor.SetSelectedObject(object, unselect);
    }
    void SetMouseOverObject(TRObject* object) override { FEditor.SetMouseOverObject(object); }
    void UpdateMAXTimelineHScrollbar() override { FEditor.UpdateMAXTimelineHScrollbar(); }
    void UpdateLabelTime() override { FEditor.UpdateLabelTime(); }
    void UpdateObjectTimes() override { FEditor.Inspector()->UpdateNameProperties(); }

private:
    TEditor& FEditor;
};

void TEditor::CreateViewControls() {
    FTimelineHost = std::make_unique<TTimelineHost>(*this);
    Timeline.SetHost(FTimelineHost.get());
    connect(sbVtimeline, &QScrollBar::valueChanged, this, &TEditor::SbVtimelineScroll);
    Timeline.installEventFilter(this);
    sbScene->viewport()->installEventFilter(this);
    panelsplitter->installEventFilter(this);
    ltime->installEventFilter(this);
    ltime->setCursor(Qt::PointingHandCursor);
    qApp->installEventFilter(this);
}

bool TEditor::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == this)
            FormShortCut(widget, static_cast<QKeyEvent*>(event));
        break;
    case QEvent::Wheel:
        if (watched == &Timeline || watched == sbScene->viewport()) {
            int steps = 0;
            auto* wheel = static_cast<QWheelEvent*>(event);
            const bool down = WheelSteps(wheel, steps);
            for (int i = 0; i < steps; ++i)
                if (watched == &Timeline)
                    TimelineMouseWheel(down, wheel->modifiers());
                else
                    SceneMouseWheel(down, wheel->modifiers());
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (watched == panelsplitter) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() & Qt::LeftButton)
                SplitterMove(int(mouse->position().y()));
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == ltime)
            GoToPlayhead();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- canvas zoom ----

float TEditor::ComputeDesignScale(std::int32_t projectWidth, std::int32_t projectHeight) const {
    if (projectWidth <= 0 || projectHeight <= 0)
        return 1;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int aw = sbScene->width() - bar - 4;
    const int ah = sbScene->height() - bar - 4;
    if (aw <= 0 || ah <= 0)
        return 1;
    const float sx = projectWidth > aw ? float(aw) / float(projectWidth) : 1.0f;
    const float sy = projectHeight > ah ? float(ah) / float(projectHeight) : 1.0f;
    const float s = std::min(sx, sy);
    if (s >= 1)
        return s;
    // Down to a tenth, never below the zoom editor's 10 %: a very large project still fits
    // as well as the canvas zoom allows.
    return std::max(0.1f, std::trunc(s * 10) / 10);
}

// ---- mouse wheel ----

// Whole wheel steps of 120 in the event, finer movement added up across events; true for
// steps downwards (towards the user).
bool TEditor::WheelSteps(QWheelEvent* event, int& steps) {
    const QPoint angle = event->angleDelta();
    FWheelRemainder += angle.y() != 0 ? angle.y() : angle.x();
    steps = std::abs(FWheelRemainder) / 120;
    const bool down = FWheelRemainder < 0;
    FWheelRemainder %= 120;
    return down;
}

void TEditor::SceneMouseWheel(bool down, Qt::KeyboardModifiers modifiers) {
    if (!ActiveProject)
        return;
    const int step = down ? 8 : -8;
    if (modifiers & Qt::ShiftModifier) {
        QScrollBar* bar = sbScene->horizontalScrollBar();
        bar->setValue(bar->value() + step);
    } else if (modifiers & Qt::ControlModifier) {
        QScrollBar* bar = sbScene->verticalScrollBar();
        bar->setValue(bar->value() + step);
    } else {
        const double tens = std::trunc(EdZoomCanvas->Value() / 10) * 10;
        EdZoomCanvas->SetValue(std::clamp(tens + (down ? -10 : 10), EdZoomCanvas->MinValue(),
                                          EdZoomCanvas->MaxValue()));
        EdZoomCanvasChange();
    }
}

void TEditor::TimelineMouseWheel(bool down, Qt::KeyboardModifiers modifiers) {
    if (!ActiveProject)
        return;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    if ((ctrl && shift) || (modifiers & Qt::AltModifier)) {
        if (!FScrollGuard) {
            // A second of time per step; the scroll bar's own handler moves StartTime.
            sbhtimeline->setValue(sbhtimeline->value() + (down ? 30 : -30));
            Timeline.StartTime = int(std::lround(sbhtimeline->value() * 1000.0 / Timeline.FramePS));
        }
    } else if (shift) {
        edZoomTimeline->setValue(edZoomTimeline->value() + (down ? -1 : 1));
    } else if (ctrl) {
        edZoomTrack->setValue(edZoomTrack->value() + (down ? -1 : 1));
    } else {
        sbVtimeline->setValue(sbVtimeline->value() + (down ? 8 : -8));
        Timeline.StartY = sbVtimeline->value();
    }
    pTimeline->update();
}

// ---- timeline scroll and splitter ----

void TEditor::SbVtimelineScroll(int position) {
    if (FScrollGuard)
        return;
    Timeline.StartY = position;
    pTimeline->update();
}

void TEditor::SetTimelineScrollPosition() {
    FScrollGuard = true;
    sbhtimeline->setValue(int(std::lround(Timeline.StartTime * double(Timeline.FramePS) / 1000)));
    FScrollGuard = false;
}

void TEditor::GoToPlayhead() {
    const std::int32_t before = Timeline.StartTime;
    Timeline.SetPlayHeadVisible();
    if (Timeline.StartTime != before)
        SetTimelineScrollPosition();
    pTimeline->update();
}

void TEditor::SplitterMove(int y) {
    const int height = panelTimeline->height() - y;
    const int row = Timeline.TrackHeight + Timeline.TrackSpace;
    const int fixed = Timeline.TopSpace + Timeline.TrackSpace;
    if (height < 2 * row + fixed || height > 11 * row + fixed)
        return;
    panelTimeline->resize(panelTimeline->width(), height);
    FormResize();
    pScene->update();
}

// ---- keys ----

// `focus` is the control the key is for: the shortcut override goes to the focused control
// first and then, unless taken, to its parents, which must not decide again.
void TEditor::FormShortCut(QWidget* focus, QKeyEvent* event) {
    const auto stamp =
        std::make_tuple(event->timestamp(), event->key(), event->modifiers().toInt());
    if (stamp == FLastShortCut)
        return;
    FLastShortCut = stamp;
    // The keystroke frame's key-capture edit takes every key itself.
    if (focus->objectName() == QLatin1String("edKeys")) {
        event->accept();
        return;
    }
    const bool memo = qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus);
    // A spin box's own line edit counts as the spin box.
    const bool spin = qobject_cast<QAbstractSpinBox*>(focus) ||
                      qobject_cast<QAbstractSpinBox*>(focus->parentWidget());
    const bool edit = qobject_cast<QLineEdit*>(focus) && !spin;
    const auto move = [this](const char* name, const QKeySequence& own, const QKeySequence& moved,
                             bool away) {
        if (QAction* action = findChild<QAction*>(QLatin1String(name)))
            action->setShortcut(away ? moved : own);
    };
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    move("actPlay", Qt::Key_Space, QKeySequence(Qt::ALT | Qt::Key_Space),
         key == Qt::Key_Space && (memo || edit));
    move("actDelete", Qt::Key_Delete, QKeySequence(Qt::ALT | Qt::Key_Delete),
         key == Qt::Key_Delete && (memo || spin));
    move("actPaste", QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::CTRL | Qt::Key_Insert),
         key == Qt::Key_V && modifiers == Qt::ControlModifier && (memo || spin));
}
