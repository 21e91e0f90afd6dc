#pragma once
// The capture-area frame: a borderless window above the others whose only visible parts are a
// 1-pixel red border, eight resize handles and a size panel; inside the border the window has
// no shape, so the desktop is seen and used through it. The capture area is the window shrunk
// by 1 pixel on every side (in full screen the monitor itself).

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

class QLabel;
class QSpinBox;
class QToolButton;
class TrecordEffect;

// Where a point of the frame grabs it.
enum class TRFrameHit {
    Client,
    TopLeft,
    Top,
    TopRight,
    Right,
    BottomRight,
    Bottom,
    BottomLeft,
    Left
};

class TrecordWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrecordWindow(QWidget* parent = nullptr);
    ~TrecordWindow() override;

    QRect GetCaptureRect() const;
    // The bounds of monitor ADisplay; an invalid index: the monitor nearest the top-left corner.
    QRect GetFullScreenRect(int ADisplay) const;
    void SetCaptureBoundsRect(const QRect& ARect);
    void SetNewSize(int AWidth, int AHeight);
    void SetInitialBoundsRect(const QRect& AScreenRect);
    void ForceVisibleOnScreen();
    void SetFullScreen(int ADisplay, bool AAnimate);
    void RestoreFullScreen();
    // The application windows' titles, sorted; FitToApp and FitAppTo take an index of it.
    QStringList ListAppWindows();
    void FitToApp(int AIndex);
    void FitAppTo(int AIndex);
    void UpdateRegion();
    void UpdateSize();
    void StartRecording();
    void StopRecording();
    // Shows the frame with its panel (keeping its bounds) or hides it.
    void ShowFrame(bool AShow);

    // The frame's shape for a window of `size` with the panel at `panel` (empty: hidden).
    static QRegion FrameRegion(QSize size, const QRect& panel, bool fullScreen);
    static TRFrameHit HitTest(QSize size, QPoint p);
    // The bounds at tick ATag (1..9) of the zoom from AFrom to ATo.
    static QRect ZoomStep(const QRect& AFrom, const QRect& ATo, int ATag);

    QToolButton* SourceButton() const { return btnScreen; }
    QSpinBox* WidthEdit() const { return edWith; }
    QSpinBox* HeightEdit() const { return edHeight; }
    QWidget* Panel() const { return panel; }
    QTimer& ZoomTimer() { return TimerFSEffect; }
    bool screenshotmode = false;
    QRect captureRect, fullRect;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanel();
    void zoomTick();
    void sizeEntered(bool width);
    bool recordingPageShown() const;
    bool fullScreen() const;
    void showOverlay();
    TrecordEffect* overlay() const;

    QWidget* panel = nullptr;
    QLabel* gpChar = nullptr;
    QToolButton* btnScreen = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QSpinBox *edWith = nullptr, *edHeight = nullptr;
    QTimer TimerFSEffect;
    int zoomTag = 0;
    // A move or resize the frame does itself when no window manager takes it.
    TRFrameHit dragHit = TRFrameHit::Client;
    bool dragging = false, moving = false;
    QPoint dragStart;
    QRect dragBounds;
    std::vector<std::pair<QString, uint32_t>> appWindows;
};

// The frame of the program; null before it is created.
extern TrecordWindow* recordWindow;
