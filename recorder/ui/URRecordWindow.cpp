#include "recorder/ui/URRecordWindow.h"

#include "core/URSettings.h"
#include "platform/capture/Windows.h"
#include "recorder/ui/URRecordEffect.h"
#include "recorder/ui/URRecorder.h"
#include "recorder/ui/URRecorderIcons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

TrecordWindow* recordWindow = nullptr;

namespace {

constexpr int Handle = 8;
constexpr int Grip = 2;
constexpr int Dash = 8;
constexpr int ZoomTicks = 10;
constexpr int ZoomIntervalMs = 30;
constexpr int InitialWidth = 854, InitialHeight = 480;
const QRect PanelBounds(10, 10, 330, 41);

// The eight handle squares of a window of `size`.
std::array<QRect, 8> handles(QSize size) {
    const int w = size.width(), h = size.height();
    const int cx = (w - Handle) / 2, cy = (h - Handle) / 2;
    return {QRect(0, 0, Handle, Handle),
            QRect(cx, 0, Handle, Handle),
            QRect(w - Handle, 0, Handle, Handle),
            QRect(w - Handle, cy, Handle, Handle),
            QRect(w - Handle, h - Handle, Handle, Handle),
            QRect(cx, h - Handle, Handle, Handle),
            QRect(0, h - Handle, Handle, Handle),
            QRect(0, cy, Handle, Handle)};
}

Qt::Edges edgesOf(TRFrameHit hit) {
    switch (hit) {
    case TRFrameHit::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case TRFrameHit::Top:
        return Qt::TopEdge;
    case TRFrameHit::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case TRFrameHit::Right:
        return Qt::RightEdge;
    case TRFrameHit::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    case TRFrameHit::Bottom:
        return Qt::BottomEdge;
    case TRFrameHit::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case TRFrameHit::Left:
        return Qt::LeftEdge;
    default:
        return {};
    }
}

// A rectangle as left, top, right, bottom with the right and bottom edges exclusive.
struct Edges4 {
    int l, t, r, b;
};

Edges4 ltrb(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect fromLtrb(const Edges4& e) {
    return QRect(e.l, e.t, e.r - e.l, e.b - e.t);
}

} // namespace

TrecordWindow::TrecordWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("recordWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QFont("Segoe UI", 9));
    setMouseTracking(true);
    QPalette red = palette();
    red.setColor(QPalette::Window, Qt::red);
    setPalette(red);
    setAutoFillBackground(true);
    buildPanel();
    setMinimumSize(PanelBounds.right() + 1 + 16, PanelBounds.bottom() + 1 + 16);
    TimerFSEffect.setInterval(ZoomIntervalMs);
    connect(&TimerFSEffect, &QTimer::timeout, this, &TrecordWindow::zoomTick);
    if (!recordWindow)
        recordWindow = this;
    UpdateRegion();
    UpdateSize();
}

TrecordWindow::~TrecordWindow() {
    if (recordWindow == this)
        recordWindow = nullptr;
}

void TrecordWindow::buildPanel() {
    panel = new QWidget(this);
    panel->setObjectName("recordPanel");
    panel->setGeometry(PanelBounds);
    panel->setAutoFillBackground(true);
    // Opaque: the red window behind it would tint a translucent panel.
    panel->setStyleSheet("#recordPanel { background: rgb(240, 240, 240);"
                         " border: 1px solid rgb(120, 120, 120); }"
                         "QLabel { color: #202020; }");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(5, 5, 5, 5);
    row->setSpacing(6);
    gpChar = new QLabel(panel);
    gpChar->setPixmap(RecorderIcon(TRRecorderIcon::Move, QColor(40, 40, 40)).pixmap(24, 24));
    gpChar->setCursor(Qt::SizeAllCursor);
    gpChar->setToolTip("Move");
    gpChar->installEventFilter(this);
    btnScreen = new QToolButton(panel);
    btnScreen->setIcon(RecorderIcon(TRRecorderIcon::Screen, QColor(40, 40, 40)));
    btnScreen->setPopupMode(QToolButton::InstantPopup);
    btnScreen->setFixedSize(60, 21);
    Label1 = new QLabel("Width", panel);
    edWith = new QSpinBox(panel);
    edWith->setRange(100, 3840);
    Label2 = new QLabel("Height", panel);
    edHeight = new QSpinBox(panel);
    edHeight->setRange(100, 2160);
    for (QSpinBox* edit : {edWith, edHeight}) {
        edit->setFixedWidth(60);
        QFont bold = edit->font();
        bold.setBold(true);
        edit->setFont(bold);
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{gpChar, btnScreen, Label1, edWith, Label2, edHeight})
        row->addWidget(w);
    row->addStretch();
    connect(edWith, &QSpinBox::editingFinished, this, [this] { sizeEntered(true); });
    connect(edHeight, &QSpinBox::editingFinished, this, [this] { sizeEntered(false); });
}

bool TrecordWindow::fullScreen() const {
    return SettingsRecord.FullScreen != 0;
}

bool TrecordWindow::recordingPageShown() const {
    return RRecorder && RRecorder->Pages()->currentWidget() == RRecorder->PageRecord();
}

TrecordEffect* TrecordWindow::overlay() const {
    return recordEffect;
}

QRect TrecordWindow::GetCaptureRect() const {
    return geometry().adjusted(1, 1, -1, -1);
}

QRect TrecordWindow::GetFullScreenRect(int ADisplay) const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (ADisplay >= 0 && ADisplay < screens.size())
        return screens[ADisplay]->geometry();
    QScreen* nearest = QGuiApplication::screenAt(geometry().topLeft());
    if (!nearest)
        nearest = QGuiApplication::primaryScreen();
    return nearest ? nearest->geometry() : QRect();
}

void TrecordWindow::SetCaptureBoundsRect(const QRect& ARect) {
    setGeometry(ARect.adjusted(-1, -1, 1, 1));
    captureRect = geometry();
    UpdateRegion();
    UpdateSize();
}

void TrecordWindow::SetNewSize(int AWidth, int AHeight) {
    resize(AWidth + 2, AHeight + 2);
    captureRect = geometry();
}

void TrecordWindow::SetInitialBoundsRect(const QRect& AScreenRect) {
    const int left = AScreenRect.left() + (AScreenRect.width() - InitialWidth) / 2;
    SetCaptureBoundsRect(QRect(left, AScreenRect.top(), InitialWidth, InitialHeight));
    captureRect = geometry();
}

void TrecordWindow::ForceVisibleOnScreen() {
    const QRect panelOnScreen(mapToGlobal(panel->pos()), panel->size());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(panelOnScreen))
            return;
    SetCaptureBoundsRect(QRect(1, 1, width() - 2, height() - 2));
}

void TrecordWindow::SetFullScreen(int ADisplay, bool AAnimate) {
    captureRect = geometry();
    fullRect = GetFullScreenRect(ADisplay);
    update();
    if (AAnimate) {
        zoomTag = 1;
        TimerFSEffect.start();
        return;
    }
    TimerFSEffect.stop();
    setGeometry(fullRect);
    UpdateSize();
    panel->show();
    UpdateRegion();
    show();
    setGeometry(fullRect);
    UpdateRegion();
    showOverlay();
}

void TrecordWindow::RestoreFullScreen() {
    setGeometry(captureRect);
}

QRect TrecordWindow::ZoomStep(const QRect& AFrom, const QRect& ATo, int ATag) {
    const Edges4 a = ltrb(AFrom), b = ltrb(ATo);
    // Integer division truncating toward zero, as the steps are counted.
    return fromLtrb({a.l + (b.l - a.l) / ZoomTicks * ATag, a.t + (b.t - a.t) / ZoomTicks * ATag,
                     a.r + (b.r - a.r) / ZoomTicks * ATag, a.b + (b.b - a.b) / ZoomTicks * ATag});
}

void TrecordWindow::zoomTick() {
    if (zoomTag > ZoomTicks - 1) {
        TimerFSEffect.stop();
        setGeometry(fullRect);
        UpdateSize();
        return;
    }
    const QRect next = ZoomStep(captureRect, fullRect, zoomTag);
    ++zoomTag;
    setGeometry(next);
}

QStringList TrecordWindow::ListAppWindows() {
    std::vector<uint32_t> own;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->internalWinId())
            own.push_back(uint32_t(w->internalWinId()));
    appWindows.clear();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    for (const platform::capture::AppWindow& window : platform::capture::listAppWindows(own)) {
        const QString& title = window.title;
        if (title.compare("Program Manager", Qt::CaseInsensitive) == 0 ||
            title.compare("Start", Qt::CaseInsensitive) == 0)
            continue;
        appWindows.emplace_back(title, window.id);
    }
    std::stable_sort(appWindows.begin(), appWindows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList titles;
    for (const auto& entry : appWindows)
        titles << entry.first;
    return titles;
}

void TrecordWindow::FitToApp(int AIndex) {
    if (AIndex < 0 || AIndex >= int(appWindows.size()))
        return;
    const uint32_t window = appWindows[size_t(AIndex)].second;
    platform::capture::activateWindow(window);
    if (const auto visible = platform::capture::visibleWindowRect(window))
        SetCaptureBoundsRect(*visible);
}

void TrecordWindow::FitAppTo(int AIndex) {
    if (AIndex < 0 || AIndex >= int(appWindows.size()))
        return;
    const uint32_t window = appWindows[size_t(AIndex)].second;
    platform::capture::activateWindow(window);
    platform::capture::setVisibleWindowRect(window, GetCaptureRect());
}

QRegion TrecordWindow::FrameRegion(QSize size, const QRect& panelRect, bool full) {
    const int w = size.width(), h = size.height();
    QRegion region(0, 0, w, h);
    region -= QRegion(1, 1, w - 2, h - 2);
    if (!panelRect.isEmpty()) {
        region += panelRect;
        if (!full)
            for (const QRect& square : handles(size))
                region += square;
    }
    return region;
}

void TrecordWindow::UpdateRegion() {
    if (screenshotmode)
        setMask(QRegion(-1, -1, 1, 1)); // nothing of the window is left
    else
        setMask(FrameRegion(size(), panel->isVisibleTo(this) ? panel->geometry() : QRect(),
                            fullScreen()));
    if (overlay())
        overlay()->UpdateRegion(geometry());
}

void TrecordWindow::UpdateSize() {
    const bool full = fullScreen();
    const QSize shown = full ? size() : size() - QSize(2, 2);
    for (QSpinBox* edit : {edWith, edHeight}) {
        const QSignalBlocker block(edit);
        edit->setValue(edit == edWith ? shown.width() : shown.height());
        edit->setEnabled(!full);
    }
    Label1->setEnabled(!full);
    Label2->setEnabled(!full);
    gpChar->setEnabled(!full);
    if (RRecorder)
        RRecorder->UpdateCaption();
}

void TrecordWindow::sizeEntered(bool widthField) {
    if (RRecorder)
        RRecorder->UpdateCaption();
    if (widthField)
        resize(edWith->value() + 2, height());
    else
        resize(width(), edHeight->value() + 2);
}

void TrecordWindow::StartRecording() {
    panel->hide();
    if (overlay())
        overlay()->hide();
    UpdateRegion();
    update();
    if (fullScreen())
        hide();
}

void TrecordWindow::StopRecording() {
    panel->show();
    if (overlay())
        overlay()->hide();
    UpdateRegion();
}

void TrecordWindow::ShowFrame(bool AShow) {
    if (!AShow) {
        hide();
        panel->hide();
        if (overlay())
            overlay()->hide();
        return;
    }
    panel->show();
    show();
    UpdateRegion();
    showOverlay();
}

void TrecordWindow::showOverlay() {
    if (overlay() && QGuiApplication::screens().size() == 1) {
        overlay()->UpdateRegion(geometry());
        overlay()->ShowOverlay();
    }
}

TRFrameHit TrecordWindow::HitTest(QSize size, QPoint p) {
    const int w = size.width(), h = size.height(), x = p.x(), y = p.y();
    const bool midX = (w - Handle) / 2 <= x && x <= (w + Handle) / 2;
    const bool midY = (h - Handle) / 2 <= y && y <= (h + Handle) / 2;
    if (x <= Handle && y <= Handle)
        return TRFrameHit::TopLeft;
    if (midX && y <= Handle)
        return TRFrameHit::Top;
    if (x >= w - Handle && y <= Handle)
        return TRFrameHit::TopRight;
    if (x >= w - Handle && midY)
        return TRFrameHit::Right;
    if (x >= w - Handle && y >= h - Handle)
        return TRFrameHit::BottomRight;
    if (midX && y >= h - Handle)
        return TRFrameHit::Bottom;
    if (x <= Handle && y >= h - Handle)
        return TRFrameHit::BottomLeft;
    if (x <= Handle && midY)
        return TRFrameHit::Left;
    if (x <= Grip)
        return TRFrameHit::Left;
    if (y <= Grip)
        return TRFrameHit::Top;
    if (x >= w - Grip)
        return TRFrameHit::Right;
    if (y >= h - Grip)
        return TRFrameHit::Bottom;
    return TRFrameHit::Client;
}

void TrecordWindow::paintEvent(QPaintEvent*) {
    const bool full = fullScreen();
    const bool recordingPage = recordingPageShown();
    if (full && recordingPage)
        return;
    QPainter painter(this);
    const int w = width(), h = height();
    painter.setPen(Qt::red);
    painter.drawLine(0, 0, w, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.drawLine(0, h - 1, w, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    if (full || recordingPage)
        return;
    painter.setPen(Qt::white);
    for (int x = Dash; x < w; x += 2 * Dash) {
        painter.drawLine(x, 0, x + Dash, 0);
        painter.drawLine(x, h - 1, x + Dash, h - 1);
    }
    for (int y = Dash; y < h; y += 2 * Dash) {
        painter.drawLine(0, y, 0, y + Dash);
        painter.drawLine(w - 1, y, w - 1, y + Dash);
    }
    if (!panel->isVisibleTo(this))
        return;
    painter.setPen(Qt::red);
    painter.setBrush(Qt::white);
    for (const QRect& square : handles(size()))
        painter.drawRect(square.adjusted(0, 0, -1, -1));
}

void TrecordWindow::resizeEvent(QResizeEvent*) {
    update();
    UpdateRegion();
    UpdateSize();
}

void TrecordWindow::moveEvent(QMoveEvent*) {
    if (overlay())
        overlay()->UpdateRegion(geometry());
}

void TrecordWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !panel->isVisible() || fullScreen())
        return;
    const TRFrameHit hit = HitTest(size(), event->position().toPoint());
    if (hit == TRFrameHit::Client)
        return;
    if (windowHandle() && windowHandle()->startSystemResize(edgesOf(hit)))
        return;
    dragging = true;
    moving = false;
    dragHit = hit;
    dragStart = event->globalPosition().toPoint();
    dragBounds = geometry();
}

void TrecordWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging)
        return;
    const QPoint d = event->globalPosition().toPoint() - dragStart;
    QRect r = dragBounds;
    if (moving) {
        r.translate(d);
    } else {
        const Qt::Edges edges = edgesOf(dragHit);
        if (edges & Qt::LeftEdge)
            r.setLeft(std::min(r.left() + d.x(), r.right() - minimumWidth() + 1));
        if (edges & Qt::RightEdge)
            r.setRight(r.right() + d.x());
        if (edges & Qt::TopEdge)
            r.setTop(std::min(r.top() + d.y(), r.bottom() - minimumHeight() + 1));
        if (edges & Qt::BottomEdge)
            r.setBottom(r.bottom() + d.y());
    }
    setGeometry(r);
}

void TrecordWindow::mouseReleaseEvent(QMouseEvent*) {
    if (dragging)
        captureRect = geometry();
    dragging = false;
}

bool TrecordWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gpChar && event->type() == QEvent::MouseButtonPress && gpChar->isEnabled()) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (windowHandle() && windowHandle()->startSystemMove())
            return true;
        dragging = moving = true;
        dragStart = press->globalPosition().toPoint();
        dragBounds = geometry();
        return true;
    }
    if (watched == gpChar && event->type() == QEvent::MouseMove && dragging) {
        mouseMoveEvent(static_cast<QMouseEvent*>(event));
        return true;
    }
    if (watched == gpChar && event->type() == QEvent::MouseButtonRelease) {
        mouseReleaseEvent(static_cast<QMouseEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TrecordWindow::closeEvent(QCloseEvent* event) {
    // The frame is never closed by the user; it lives as long as the program.
    event->ignore();
}
