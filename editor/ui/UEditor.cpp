#include "editor/ui/UEditor.h"

#include "core/URExportForms.h"
#include "core/URFileFilter.h"
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/ui/URDimmer.h"
#include "core/ui/UREaseMenu.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URStyle.h"
#include "core/ui/USplashScreen.h"
#include "editor/ui/URScene.h"
#include "objects/URProjectCaptions.h"
#include "platform/system/Clock.h"
#include "properties/ui/UFramePropBase.h"
#include "properties/ui/URPropertiesPages.h"
#include "properties/ui/URShapeImageLists.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <cmath>

TEditor* Editor = nullptr;

namespace {

constexpr QRgb FormColor = 0x20262F;  // the window's background
constexpr QRgb PanelColor = 0x2B333E; // bars and panels
constexpr QRgb EmptyColor = 0x181D24; // the canvas area

QWidget* FilledPanel(const char* name, QRgb color, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(color));
    panel->setPalette(palette);
    return panel;
}

// A flat glyph tool button of the window's bars.
QToolButton* BarButton(int glyph, const char* name, const QString& hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIcon(GlyphIcon(glyph, QColor(TRStyleColors::Text)));
    button->setIconSize(QSize(Scaled(22, button), Scaled(22, button)));
    button->setFixedSize(Scaled(34, button), Scaled(34, button));
    return button;
}

QAction* Placeholder(QMenu* menu, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setEnabled(false);
    return action;
}

} // namespace

int TimelineZoomIndex(std::int32_t pixelPS) {
    for (int level = 1; level <= 20; ++level)
        if (TimelineZoomLevels[level] == pixelPS)
            return level;
    return 14;
}

// What the layers below reach the window through.
class TEditor::TServices : public TREditorServices {
public:
    explicit TServices(TEditor& editor) : FEditor(editor) {}
    TRProject* ActiveProject() const override { return FEditor.ActiveProject; }
    void RepaintScene() override { FEditor.pScene->update(); }
    void RepaintTimeline() override { FEditor.pTimeline->update(); }
    void ProjectViewChanged(TRProject& project) override {
        if (&project != FEditor.ActiveProject)
            return;
        FEditor.UpdateCaption();
        FEditor.UpdateLabelTime();
        FEditor.UpdateMAXTimelineHScrollbar();
    }
    void SetSelectedObject(TRObject* object, bool unselect) override {
        FEditor.SetSelectedObject(object, unselect);
    }
    bool Playing() const override {
        return FEditor.Player->Running() || FEditor.Timeline.MovingPlayhead();
    }
    void Stop() override { FEditor.Stop(); }
    void ExportCaptions() override { FEditor.ExportCaptions(); }
    void DeleteCaptions() override { FEditor.DeleteCaptions(); }
    void SelectionFollow(TRObject* object) override {
        FEditor.Scene->SelectionTool().SetObject(object);
        FEditor.pScene->update();
    }
    bool ClearSceneHelperLines(bool repaint) override {
        const bool had = FEditor.Scene->ClearHelperLines();
        if (had && repaint)
            FEditor.pScene->update();
        return had;
    }
    void ShowSceneHelperLines() override {
        FEditor.Scene->ComputeHelperLines();
        FEditor.pScene->update();
    }
    void SetMouseOverObject(TRObject* object) override { FEditor.SetMouseOverObject(object); }
    void UpdatePlacementProperties() override { FEditor.FInspector->UpdatePlacementProperties(); }
    void UpdateZoomSourceProperties() override {
        if (TRObject* selected =
                FEditor.ActiveProject ? FEditor.ActiveProject->SelectedObject : nullptr)
            selected->LastIndexShowProperties = -1;
        FEditor.FInspector->ShowObjectProperties();
    }
    std::int32_t PreviewSpeed() const override { return FEditor.PlaybackSpeed(); }
    bool PreviewPreservePitch() const override { return FEditor.PreserveAudioPitch(); }
    // The volume frame shows the loudness and gain that a finished analysis brought.
    void UpdateAudioProperties() override { FEditor.FInspector->ShowObjectProperties(); }

private:
    TEditor& FEditor;
};

TEditor::TEditor(QWidget* parent)
    : QMainWindow(parent), Timeline(*new TRTimeline), TimerOpenProject(new QTimer(this)),
      FServices(std::make_unique<TServices>(*this)),
      FClient(FilledPanel("client", FormColor, this)) {
    SaveLastStep(SettingsRecord, ActiveProject, "Start_EditorFormCreate");
    setObjectName("TEditor");
    setWindowTitle("Tavrin");
    setMinimumSize(1279, 720);
    resize(1280, 760);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setCentralWidget(FClient);
    InstallEditorServices(FServices.get());
    if (SplashScreen)
        SplashScreen->SetProgress(20, "Creating the canvas");
    CreatePanels(FClient);
    CreateViewControls();
    CreatePlayControls();
    CreateMenus();
    CreateTitleTabs();
    if (SplashScreen)
        SplashScreen->SetProgress(40, "Creating icons");
    if (ShapeImageLists().ShapeIconImageList.isEmpty())
        CreateShapeIcons();
    if (SplashScreen)
        SplashScreen->SetProgress(50, "Creating the object inspector");
    RegisterPropertyFrames();
    FInspector->CreatePropertiesPages();
    SetActiveProject(nullptr);
    UpdatePlaybackSpeedComponents(1000, true);
    TimerOpenProject->setSingleShot(true);
    TimerOpenProject->setInterval(100);
    connect(TimerOpenProject, &QTimer::timeout, this, &TEditor::TimerOpenProjectTimer);
    UpdateInterface();
    CopySamples();
    SaveLastStep(SettingsRecord, ActiveProject, "End_EditorFormCreate");
}

TEditor::~TEditor() {
    DestroyPlayControls();
    InstallEditorServices(nullptr);
    ActiveProject = nullptr;
    delete FInspector;
}

void TEditor::CreateMenus() {
    ActionMainMenuBar = new QMenuBar(FClient);
    ActionMainMenuBar->setObjectName("ActionMainMenuBar");
    ActionMainMenuBar->setNativeMenuBar(false);
    const char* captions[8] = {"&File",   "&Edit", "&Insert",   "&Playback",
                               "E&xport", "&View", "P&rojects", "&Help"};
    for (int i = 0; i < 8; ++i)
        FMenus[i] = ActionMainMenuBar->addMenu(captions[i]);
    // The commands arrive with the command set; until then their items stay disabled.
    CreateFileActions();
    for (const char* caption : {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete"})
        Placeholder(FMenus[1], caption);
    for (const char* caption : {"Shape", "Text", "Image...", "Video...", "Audio..."})
        Placeholder(FMenus[2], caption);
    for (const char* caption : {"Play", "Skip to Beginning", "Skip to End"})
        Placeholder(FMenus[3], caption);
    CreateExportActions();
    QAction* grouped = FMenus[5]->addAction("Grouped Properties");
    grouped->setObjectName("actGroupedProperties");
    grouped->setCheckable(true);
    grouped->setChecked(SettingsRecord.PropertiesLayout == 1);
    connect(grouped, &QAction::triggered, this, [this](bool checked) {
        SettingsRecord.PropertiesLayout = checked ? 1 : 0;
        FInspector->ArrangePropertiesPages(SettingsRecord.PropertiesLayout, otBase);
        FInspector->SetPropertiesPagesHeight(FInspector->height(), otBase);
    });
    QAction* floating = Placeholder(FMenus[5], "Floating Inspector");
    floating->setCheckable(true);
    floating->setChecked(SettingsRecord.FloatingInspector == 1);
    FProjectGroup = new QActionGroup(this);
    FProjectGroup->setExclusive(true);
    for (int slot = 1; slot <= SlotCount; ++slot) {
        QAction* action = FMenus[6]->addAction(QString("Project %1").arg(slot));
        action->setObjectName(slot == 1 ? QString("actClickProject")
                                        : QString("actClickProject%1").arg(slot));
        action->setCheckable(true);
        action->setVisible(false);
        FProjectGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, slot] { ClickProject(slot); });
        FProjectActions[slot] = action;
    }
    CreateDialogActions();
}

void TEditor::CreateTitleTabs() {
    FTitleTabs = new QWidget(FClient);
    FTitleTabs->setObjectName("scStyledForm");
    FTabs = new QTabBar(FTitleTabs);
    FTabs->setObjectName("tabsProjects");
    FTabs->setDrawBase(false);
    FTabs->setExpanding(false);
    FTabs->setElideMode(Qt::ElideRight);
    FTabs->setStyleSheet(
        "QTabBar::tab { background: #2B333E; color: #B8BEC6; width: 150px; padding: 4px 8px;"
        " border: 1px solid #3E4A5A; border-bottom: none; }"
        "QTabBar::tab:selected { background: #00A1A1; color: #FFFFFF; }");
    for (int slot = 1; slot <= SlotCount; ++slot)
        FTabs->addTab(QString());
    connect(FTabs, &QTabBar::tabBarClicked, this, &TEditor::TabClick);
    FCloseButton = BarButton(GlyphClose, "btnCloseProject", "Close Active Project", FTitleTabs);
    connect(FCloseButton, &QToolButton::clicked, this, [this] { CloseActiveProject(); });
}

void TEditor::CreatePanels(QWidget* client) {
    panelObjects = FilledPanel("panelObjects", PanelColor, client);
    int top = Scaled(6, this);
    for (int glyph : {GlyphKindShape, GlyphKindText, GlyphKindImage, GlyphKindVideo, GlyphKindAudio,
                      GlyphKindSketch, GlyphKindZoomArea, GlyphKindCaption, GlyphRecord}) {
        QToolButton* button = BarButton(glyph, "btnInsert", QString(), panelObjects);
        button->setEnabled(false); // the insert commands arrive with the command set
        button->move(Scaled(5, this), top);
        top += button->height() + Scaled(4, this);
    }
    sbScene = new QScrollArea(client);
    sbScene->setObjectName("sbScene");
    sbScene->setFrameShape(QFrame::NoFrame);
    sbScene->setWidgetResizable(false);
    sbScene->setAutoFillBackground(true);
    pScene = FilledPanel("pScene", EmptyColor, nullptr);
    sbScene->setWidget(pScene);
    Scene = new TRScene(pScene);
    auto* sceneLayout = new QHBoxLayout(pScene);
    sceneLayout->setContentsMargins(0, 0, 0, 0);
    sceneLayout->addWidget(Scene);
    sbScene->viewport()->setAutoFillBackground(false);
    CreatePlayerBar();
    panelsplitter = FilledPanel("panelsplitter", FormColor, client);
    panelsplitter->setCursor(Qt::SizeVerCursor);
    CreateTimelinePanel();
    panelBtnSaveExport = new QWidget(client);
    panelBtnSaveExport->setObjectName("panelBtnSaveExport");
    btnSave = new QPushButton("Save", panelBtnSaveExport);
    btnSave->setObjectName("btnSave");
    btnSave->setToolTip("Save Project");
    btnSave->setIcon(GlyphIcon(GlyphSave, QColor(TRStyleColors::Text)));
    btnExport = new QPushButton("Export", panelBtnSaveExport);
    btnExport->setObjectName("btnExport");
    btnExport->setToolTip("Export Project");
    btnExport->setStyleSheet("QPushButton { background: #00A1A1; color: white; border: none; }"
                             "QPushButton:disabled { background: #2E5E63; color: #9FB4B8; }");
    connect(btnSave, &QPushButton::clicked, this, [this] { SaveCommand(); });
    connect(btnExport, &QPushButton::clicked, this, [this] { ExportProject(false); });
    const int buttonHeight = Scaled(26, this);
    btnSave->setGeometry(0, Scaled(3, this), Scaled(80, this), buttonHeight);
    btnExport->setGeometry(Scaled(86, this), Scaled(3, this), Scaled(90, this), buttonHeight);
    panelBtnSaveExport->resize(Scaled(184, this), Scaled(32, this));
    FInspector = new TRObjectInspector(client);
    panelIntro = FilledPanel("panelIntro", PanelColor, client);
    auto* title = new QLabel("Tavrin", panelIntro);
    title->setFont(StyleFont(28, true));
    title->setAlignment(Qt::AlignCenter);
    auto* subtitle = new QLabel("Screen recorder and video editor", panelIntro);
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setStyleSheet("color: #7D848C;");
    panelIntro->resize(Scaled(560, this), Scaled(200, this));
    title->setGeometry(0, Scaled(50, this), panelIntro->width(), Scaled(60, this));
    subtitle->setGeometry(0, Scaled(115, this), panelIntro->width(), Scaled(30, this));
    CreateEaseMenu();
}

void TEditor::CreatePlayerBar() {
    panelPlayer = FilledPanel("panelPlayer", PanelColor, FClient);
    panelPlayer->resize(width(), Scaled(42, this));
    pAnimation = new QWidget(panelPlayer);
    pAnimation->setObjectName("pAnimation");
    QToolButton* addAnimation =
        BarButton(GlyphAddKeyframe, "btnAddAnimation", "Add Animation", pAnimation);
    addAnimation->setEnabled(false);
    pAnimation->resize(Scaled(80, this), Scaled(40, this));
    pButtonsPlayer = new QWidget(panelPlayer);
    pButtonsPlayer->setObjectName("pButtonsPlayer");
    int x = 0;
    const struct {
        int Glyph;
        const char* Name;
        const char* Hint;
    } transport[] = {
        {GlyphSkipStart, "btnSkipStart",
         "Skip to Beginning\rSkip to Object's Front ( Left-Click + Shift )"},
        {GlyphPreviousFrame, "btnPreviousFrame",
         "Previous Frame\rPrevious Object ( Left-Click + Shift )"},
        {GlyphPlay, "btnPlay", "Play/Stop\rPlay Timeline Selection ( Left-Click + Shift )"},
        {GlyphNextFrame, "btnNextFrame", "Next Frame\rNext Object ( Left-Click + Shift )"},
        {GlyphSkipEnd, "btnSkipEnd", "Skip to End\rSkip to Object's End ( Left-Click + Shift )"},
        {GlyphVolume, "btnMuteSound", "Mute"},
    };
    for (const auto& item : transport) {
        QToolButton* button = BarButton(item.Glyph, item.Name,
                                        QString(item.Hint).replace('\r', '\n'), pButtonsPlayer);
        button->setEnabled(false); // the transport commands arrive with the command set
        button->move(x, Scaled(4, this));
        x += button->width();
    }
    btnPlay = pButtonsPlayer->findChild<QToolButton*>("btnPlay");
    btnMuteSound = pButtonsPlayer->findChild<QToolButton*>("btnMuteSound");
    btnPlaybackSpeed = new QToolButton(pButtonsPlayer);
    btnPlaybackSpeed->setObjectName("btnPlaybackSpeed");
    btnPlaybackSpeed->setAutoRaise(true);
    btnPlaybackSpeed->setToolTip("Playback Speed");
    btnPlaybackSpeed->setPopupMode(QToolButton::InstantPopup);
    pmPlaybackSpeed = new QMenu(btnPlaybackSpeed);
    pmPlaybackSpeed->setObjectName("pmPlaybackSpeed");
    btnPlaybackSpeed->setMenu(pmPlaybackSpeed);
    btnPlaybackSpeed->setGeometry(x, Scaled(8, this), Scaled(48, this), Scaled(26, this));
    x += Scaled(54, this);
    ltime = new QLabel(pButtonsPlayer);
    ltime->setObjectName("ltime");
    ltime->setFont(StyleFont(10));
    ltime->setGeometry(x, Scaled(8, this), Scaled(170, this), Scaled(26, this));
    pButtonsPlayer->resize(x + ltime->width(), Scaled(42, this));
    EdZoomCanvas = new TRGPEditEx(panelPlayer);
    EdZoomCanvas->setObjectName("EdZoomCanvas");
    EdZoomCanvas->SetCaption("Zoom");
    EdZoomCanvas->SetMinMaxValues(10, 200);
    EdZoomCanvas->SetUM("%");
    EdZoomCanvas->SetDefaultValue(100);
    EdZoomCanvas->SetSnapDelta(5);
    EdZoomCanvas->SetSnapValues({10, 50, 80, 90, 100, 125, 150, 175, 200});
    EdZoomCanvas->SetValue(100);
    EdZoomCanvas->resize(Scaled(260, this), Scaled(25, this));
    connect(EdZoomCanvas, &TRGPEditEx::Changed, this, &TEditor::EdZoomCanvasChange);
}

void TEditor::CreateTimelinePanel() {
    panelTimeline = FilledPanel("panelTimeline", FormColor, FClient);
    panelTimeline->resize(width(), Scaled(230, this));
    Timeline.setParent(panelTimeline);
    Timeline.show();
    pTimeline = &Timeline;
    sbhtimeline = new QScrollBar(Qt::Horizontal, panelTimeline);
    sbhtimeline->setObjectName("sbhtimeline");
    sbhtimeline->setRange(0, 100000);
    sbhtimeline->setPageStep(30);
    sbVtimeline = new QScrollBar(Qt::Vertical, panelTimeline);
    sbVtimeline->setObjectName("sbVtimeline");
    edZoomTimeline = new QSlider(Qt::Horizontal, panelTimeline);
    edZoomTimeline->setObjectName("edZoomTimeline");
    edZoomTimeline->setToolTip("Zoom Timeline");
    edZoomTimeline->setRange(1, 20);
    edZoomTimeline->setValue(14);
    edZoomTrack = new QSlider(Qt::Vertical, panelTimeline);
    edZoomTrack->setObjectName("edZoomTrack");
    edZoomTrack->setRange(20, 50);
    edZoomTrack->setValue(28);
    edZoomTrack->setStyleSheet(
        "QSlider::groove:vertical { width: 3px; background: #3E4A5A; border-radius: 1px; }"
        "QSlider::add-page:vertical { background: #3E4A5A; }"
        "QSlider::sub-page:vertical { background: #3E4A5A; }"
        "QSlider::handle:vertical { background: #ECEAE8; width: 11px; height: 11px;"
        " margin: 0 -4px; border-radius: 5px; }");
    connect(edZoomTimeline, &QSlider::valueChanged, this, &TEditor::EdZoomTimelineChange);
    connect(edZoomTrack, &QSlider::valueChanged, this, &TEditor::EdZoomTrackChange);
    connect(sbhtimeline, &QScrollBar::valueChanged, this, &TEditor::TimelineScroll);
}

void TEditor::CreateEaseMenu() {
    pmEase = new QMenu(this);
    pmEase->setObjectName("pmEase");
    FillEaseMenu(*pmEase, [this](int ease) { EaseItemClick(ease); });
}

// ---- layout ----

void TEditor::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TEditor::FormResize() {
    const int cw = FClient->width();
    const int ch = FClient->height();
    const int iw = Scaled(466, this);
    const int mh = ActionMainMenuBar->sizeHint().height() + Scaled(6, this);
    const int ow = Scaled(44, this);
    // The menu row ends where the inspector begins: its header uses the full height.
    ActionMainMenuBar->setGeometry(0, 0, cw - iw - 1, mh);
    panelBtnSaveExport->move(cw - panelBtnSaveExport->width() - iw,
                             (mh - panelBtnSaveExport->height()) / 2);
    // The project tabs and the close button at the right of the menu row, before Save.
    const int close = FCloseButton->width();
    const int tabsWidth = FTabs->isVisible() ? FTabs->sizeHint().width() : 0;
    FTitleTabs->setGeometry(panelBtnSaveExport->x() - tabsWidth - close - Scaled(12, this), 0,
                            tabsWidth + close, mh);
    FTabs->setGeometry(0, mh - FTabs->sizeHint().height(), tabsWidth, FTabs->sizeHint().height());
    FCloseButton->move(tabsWidth, (mh - close) / 2);
    FTitleTabs->raise();
    panelBtnSaveExport->raise();
    FInspector->setGeometry(cw - iw - 1, 0, iw, ch);
    panelObjects->setGeometry(1, mh + 1, ow, ch - mh - 2);
    const int left = ow + 2;
    const int columnWidth = cw - iw - ow - 4;
    const int bottom = ch - panelTimeline->height() - 1;
    panelTimeline->setGeometry(left, bottom, columnWidth, panelTimeline->height());
    panelsplitter->setGeometry(left, bottom - Scaled(3, this), columnWidth, Scaled(3, this));
    const int player = bottom - Scaled(3, this) - panelPlayer->height() - 2;
    panelPlayer->setGeometry(left, player, columnWidth, panelPlayer->height());
    sbScene->setGeometry(left, mh + 2, columnWidth, player - mh - 3);
    panelIntro->move((cw - panelIntro->width()) / 2, (ch - mh - panelIntro->height()) / 2);
    panelIntro->setVisible(!ActiveProject);
    PlayerBarResize();
    TimelinePanelResize();
    SetPSceneSize();
}

void TEditor::PlayerBarResize() {
    const int h = panelPlayer->height();
    EdZoomCanvas->move(panelPlayer->width() - EdZoomCanvas->width() - Scaled(8, this),
                       (h - EdZoomCanvas->height()) / 2);
    pAnimation->move(0, 1);
    const int space = EdZoomCanvas->x() - pAnimation->width();
    pButtonsPlayer->move(pAnimation->width() + (space - pButtonsPlayer->width()) / 2, 0);
}

void TEditor::TimelinePanelResize() {
    const int pw = panelTimeline->width();
    const int ph = panelTimeline->height();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int tracks =
        (Timeline.TrackHeight + Timeline.TrackSpace) * Timeline.NrTracks + Timeline.TopSpace;
    pTimeline->setGeometry(0, 0, pw - bar, tracks);
    const int zoomWidth = Scaled(120, this);
    edZoomTimeline->setGeometry(0, ph - bar, zoomWidth, bar);
    sbhtimeline->setGeometry(zoomWidth, ph - bar, pw - zoomWidth - bar, bar);
    edZoomTrack->setGeometry(0, Timeline.TopSpace, bar, ph - bar - Timeline.TopSpace);
    sbVtimeline->setGeometry(pw - bar, 0, bar, ph - bar);
    pTimeline->lower();
}

void TEditor::SetPSceneSize() {
    if (!ActiveProject) {
        pScene->resize(sbScene->size());
        return;
    }
    std::int32_t width = 0, height = 0;
    ActiveProject->GetProjectSize(width, height);
    float& scale = ActiveProject->InterfaceOptions.DesignScale;
    if (scale < 0.1f || scale > 2.0f)
        scale = 1;
    int w = int(std::lround(width * scale)) + 4;
    int h = int(std::lround(height * scale)) + 4;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int aw = sbScene->width() - bar;
    const int ah = sbScene->height() - bar;
    if (w <= aw && h <= ah) {
        w = sbScene->width();
        h = sbScene->height();
    } else if (w <= aw) {
        w = sbScene->width() - bar;
    } else if (h <= ah) {
        h = sbScene->height() - bar;
    }
    if (w <= 0 || w > 10000)
        w = 100;
    if (h <= 0 || h > 10000)
        h = 100;
    pScene->resize(w, h);
}

// ---- view controls ----

void TEditor::EdZoomCanvasChange() {
    if (!ActiveProject)
        return;
    ActiveProject->InterfaceOptions.DesignScale = float(EdZoomCanvas->Value() / 100);
    ActiveProject->SetModified(true);
    SetPSceneSize();
    pScene->update();
}

void TEditor::EdZoomTimelineChange() {
    const int level = edZoomTimeline->value();
    const std::int32_t pixelPS = level >= 1 && level <= 20 ? TimelineZoomLevels[level] : 120;
    if (Timeline.IsPlayHeadVisible()) {
        // The playhead keeps its place on the screen.
        const std::int32_t head = Timeline.PlayHead;
        const auto offset = std::int32_t(
            std::trunc((head - Timeline.StartTime) * double(Timeline.PixelPS) / pixelPS));
        Timeline.StartTime = qMax(0, head - offset);
        Timeline.PixelPS = pixelPS;
        SetTimelineScrollPosition();
    } else {
        Timeline.PixelPS = pixelPS;
    }
    pTimeline->update();
}

void TEditor::EdZoomTrackChange() {
    Timeline.TrackHeight = Scaled(edZoomTrack->value(), this);
    const int maximum = (Timeline.NrTracks + 1) * (Timeline.TrackHeight + Timeline.TrackSpace) +
                        Timeline.TopSpace - panelTimeline->height();
    sbVtimeline->setMaximum(qMax(sbVtimeline->pageStep(), maximum));
    TimelinePanelResize();
    pTimeline->update();
}

void TEditor::TimelineScroll(int position) {
    if (FScrollGuard)
        return;
    Timeline.StartTime = int(std::lround(position * 1000.0 / Timeline.FramePS));
    pTimeline->update();
}

void TEditor::UpdateMAXTimelineHScrollbar() {
    if (!ActiveProject)
        return;
    FScrollGuard = true;
    sbhtimeline->setMaximum(
        int(std::lround((ActiveProject->TimeEnd() + 10000.0) * Timeline.FramePS / 1000)));
    FScrollGuard = false;
}

// ---- slots and the active project ----

TRProject* TEditor::Project(int slot) const {
    return slot >= 1 && slot <= SlotCount ? Projects[slot].get() : nullptr;
}

int TEditor::AddProject(std::unique_ptr<TRProject> project) {
    for (int slot = 1; slot <= SlotCount; ++slot) {
        if (Projects[slot])
            continue;
        Projects[slot] = std::move(project);
        FProjectActions[slot]->setText(Projects[slot]->ObjectName());
        FProjectActions[slot]->setVisible(true);
        FMenus[6]->setEnabled(true);
        return slot;
    }
    return 0;
}

void TEditor::ClickProject(int slot) {
    SaveLastStep(SettingsRecord, ActiveProject, "Click Project Execute Start");
    TRProject* project = Project(slot);
    if (!project)
        return;
    FProjectActions[slot]->setVisible(true);
    FProjectActions[slot]->setChecked(true);
    SetActiveProject(project);
    UpdateInterface();
    UpdateCaption();
    UpdateTabs();
    SaveLastStep(SettingsRecord, ActiveProject, "Click Project Execute End");
    if (ActiveProject->FileName.isEmpty())
        ActiveProject->AutoSave();
}

void TEditor::TabClick(int tabIndex) {
    const int slot = tabIndex + 1;
    if (!Project(slot))
        return;
    EditorServices().Stop();
    FMenus[6]->setEnabled(true);
    ClickProject(slot);
}

void TEditor::SetActiveProject(TRProject* project) {
    if (ActiveProject) {
        StoreViewState();
        if (project != ActiveProject)
            SetSelectedObject(nullptr, true);
    }
    ActiveProject = project;
    Scene->SetProject(project);
    Timeline.SetProject(project);
    if (!project)
        return;
    const TRProjectInterfaceOptions view = project->InterfaceOptions;
    SetSelectedObject(nullptr, true);
    EdZoomCanvas->SetValue(std::round(view.DesignScale * 100));
    edZoomTimeline->setValue(TimelineZoomIndex(view.Timeline_PixelPS));
    EdZoomTimelineChange();
    Timeline.StartTime = view.Timeline_StartTime;
    edZoomTrack->setValue(view.Timeline_TrackHeight);
    EdZoomTrackChange();
    UpdatePlaybackSpeedComponents(view.Timeline_PlaybackSpeed, view.Timeline_PreserverPitch);
    UpdateMAXTimelineHScrollbar();
    SetTimelineScrollPosition();
    SetPlayHead(view.Timeline_PlayHead);
    SetPSceneSize();
    FInspector->ShowObjectProperties();
    pScene->update();
    pTimeline->update();
}

void TEditor::StoreViewState() {
    TRProjectInterfaceOptions& view = ActiveProject->InterfaceOptions;
    view.Timeline_PlayHead = Timeline.PlayHead;
    view.Timeline_StartTime = Timeline.StartTime;
    view.Timeline_PixelPS = Timeline.PixelPS;
    view.Timeline_TrackHeight = edZoomTrack->value();
    view.Timeline_PlaybackSpeed = FPlaybackSpeed;
    view.Timeline_PreserverPitch = PreserveAudioPitch();
}

void TEditor::SetPlayHead(std::int32_t time) {
    if (!ActiveProject)
        return;
    // The nearest frame of the timeline's grid.
    const std::int32_t fps = Timeline.FramePS;
    const double frames =
        double(time / 1000) * fps + std::nearbyint((time % 1000) / (1000.0 / fps));
    const auto t = std::int32_t(std::nearbyint(frames * (1000.0 / fps)));
    ActiveProject->SetTimePosition(t);
    ActiveProject->InterfaceOptions.Timeline_PlayHead = t;
    pScene->update();
    Timeline.PlayHead = t;
    // While the playhead moves with the player or the mouse the inspector waits.
    if (!EditorServices().Playing())
        FInspector->ShowObjectProperties();
    pTimeline->update();
    if (Player->Running() && !Muted())
        ActiveProject->PlayAudio();
    UpdateLabelTime();
}

void TEditor::UpdateInterface() {
    const bool editing = ActiveProject != nullptr;
    for (QWidget* panel :
         {static_cast<QWidget*>(FInspector), panelTimeline, panelPlayer,
          static_cast<QWidget*>(sbScene), panelObjects, panelBtnSaveExport, panelsplitter})
        panel->setVisible(editing);
    for (int menu = 2; menu <= 5; ++menu)
        FMenus[menu]->setEnabled(editing);
    bool anyProject = false;
    for (int slot = 1; slot <= SlotCount; ++slot)
        anyProject = anyProject || Projects[slot];
    FMenus[6]->setEnabled(anyProject);
    panelIntro->setVisible(!editing);
    UpdateTabs();
}

void TEditor::UpdateTabs() {
    int filled = 0;
    for (int slot = 1; slot <= SlotCount; ++slot)
        filled += Projects[slot] ? 1 : 0;
    FCloseButton->setVisible(ActiveProject != nullptr);
    const bool tabs = filled >= 2 && ActiveProject;
    FTabs->setVisible(tabs);
    for (int slot = 1; slot <= SlotCount; ++slot) {
        TRProject* project = Projects[slot].get();
        FTabs->setTabVisible(slot - 1, project != nullptr);
        if (!project)
            continue;
        FTabs->setTabText(slot - 1, project->ObjectName());
        FTabs->setTabToolTip(slot - 1, project->FileName);
        if (project == ActiveProject)
            FTabs->setCurrentIndex(slot - 1);
    }
    FTitleTabs->setVisible(ActiveProject != nullptr);
    FormResize();
}

void TEditor::UpdateCaption() {
    if (!ActiveProject) {
        setWindowTitle("Tavrin");
        return;
    }
    setWindowTitle("Tavrin - " + ActiveProject->ObjectName() +
                   (ActiveProject->Modified() ? "*" : ""));
    btnSave->setText(ActiveProject->Modified() ? "Save*" : "Save");
}

void TEditor::UpdateLabelTime() {
    if (!ActiveProject)
        return;
    ltime->setText(FormatTimeFrames(Timeline.PlayHead) + " / " +
                   FormatTimeFrames(ActiveProject->TimeEnd()));
}

// ---- selection ----

void TEditor::SetSelectedObject(TRObject* object, bool unselect) {
    if (!ActiveProject)
        return;
    TRObject* former = ActiveProject->SelectedObject;
    ActiveProject->SelectedObject = object;
    const bool cleared = unselect && ActiveProject->UnSelectAll();
    if (former != object || cleared) {
        pScene->update();
        FInspector->ShowObjectProperties();
        pTimeline->update();
    }
    (object ? object : ActiveProject)->SetMultiSelect(true);
}

void TEditor::SetMouseOverObject(TRObject* object) {
    if (!ActiveProject || ActiveProject->MouseOverObject == object)
        return;
    ActiveProject->MouseOverObject = object;
    pScene->update();
    pTimeline->update();
}

// ---- captions ----

void TEditor::DeleteCaptions() {
    if (!ActiveProject)
        return;
    EditorServices().Stop();
    TRMessageBox box(this);
    if (box.Execute("Are you sure you want to Delete all captions?", TRMessageBox::MB_YESNO,
                    TRMessageBox::MB_ICONWARNING, cmDelete) != TRMessageBox::IDYES)
        return;
    // The inspector and the canvas never keep a caption that is about to go.
    TRObject* selected = ActiveProject->SelectedObject;
    if (selected && selected->ObjectType() == otCaption)
        SetSelectedObject(nullptr, true);
    ActiveProject->DeleteCaptions();
    ActiveProject->MouseOverObject = nullptr;
    pScene->update();
    pTimeline->update();
}

void TEditor::ExportCaptions() {
    if (!ActiveProject)
        return;
    EditorServices().Stop();
    const QString name = QFileInfo(ActiveProject->FileName).completeBaseName().toLower();
    const QString file = QFileDialog::getSaveFileName(
        this, QString(), QDir(GetVideosFolder(SettingsRecord)).filePath(name + ".srt"),
        QtFileFilter("SubRip file (*.srt)|*.srt"));
    if (file.isEmpty())
        return;
    try {
        ExportProjectCaptions(*ActiveProject,
                              file.endsWith(".srt", Qt::CaseInsensitive) ? file : file + ".srt");
    } catch (const std::exception& error) {
        TRMessageBox box(this);
        box.Execute(QString::fromLocal8Bit(error.what()), TRMessageBox::MB_OK,
                    TRMessageBox::MB_ICONERROR);
    }
}

// ---- easing menu ----

void TEditor::SetCheckMenuItemAnimation(int value) {
    CheckEaseMenu(*pmEase, value);
}

void TEditor::EaseItemClick(int ease) {
    TRObject* object = ActiveProject ? ActiveProject->SelectedObject : nullptr;
    if (!object || object == ActiveProject || !object->InAnimation())
        return;
    SetCheckMenuItemAnimation(ease);
    object->SetCurrentTransformationEase(ease);
    ActiveProject->History_AddModify(object, undoAnimationEase, undoIncrement);
}

// ---- start-up open and closing ----

void TEditor::EnableProjectOpening(const QString& commandLineProject,
                                   const QString& recoveryFolder) {
    CommandLineProject = commandLineProject;
    RecoveryFolder = recoveryFolder;
    if (!CommandLineProject.isEmpty() || !RecoveryFolder.isEmpty())
        TimerOpenProject->start();
}

void TEditor::TimerOpenProjectTimer() {
    TimerOpenProject->stop();
    const QString path = !RecoveryFolder.isEmpty() ? RecoveryFolder : CommandLineProject;
    if (path.isEmpty())
        return;
    SaveLastStep(SettingsRecord, ActiveProject, "OpenProjectTimer_" + path.toLower());
    OpenedProject = path;
    Q_EMIT openProjectRequested(path);
}

bool TEditor::FormClose() {
    SaveLastStep(SettingsRecord, ActiveProject, "Close Start");
    while (ActiveProject)
        if (CloseActiveProject() == 2)
            return false;
    RemoveEmptyTempFolders();
    if (FirstInstance) {
        const std::uint32_t elapsed =
            platform::system::tickCount() - SettingsRecord.SessionStartTick;
        SettingsRecord.MinutesUsed += static_cast<std::int32_t>(elapsed / 60000);
        SettingsRecord.SessionCount += 1;
        if (SettingsRecord.SessionCount == 1) {
            QString status = "_" + QString::number(SettingsRecord.MinutesUsed);
            for (const std::int32_t seconds : SettingsRecord.RecordedSeconds)
                status += seconds >= 60 ? "_" + QString::number(seconds / 60)
                                        : "_" + QString::number(seconds) + "s";
            QString reply;
            SendServerMessage(reply, true, 1, status);
        }
    }
    SaveLastStep(SettingsRecord, ActiveProject, "Close");
    return true;
}

void TEditor::closeEvent(QCloseEvent* event) {
    if (!FormClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// ---- export commands ----

void TEditor::CreateExportActions() {
    QAction* exportProject = FMenus[4]->addAction("Export Video...");
    exportProject->setObjectName("actExport");
    exportProject->setShortcut(QKeySequence("Ctrl+E"));
    connect(exportProject, &QAction::triggered, this, [this] { ExportProject(false); });
    QAction* exportSelection = FMenus[4]->addAction("Export Timeline Selection...");
    exportSelection->setObjectName("actExportSelection");
    exportSelection->setShortcut(QKeySequence("Ctrl+Alt+E"));
    connect(exportSelection, &QAction::triggered, this, [this] { ExportProject(true); });
    Placeholder(FMenus[4], "Export Frame...");
}

void TEditor::ExportProject(bool timelineSelection) {
    EditorServices().Stop();
    if (!ActiveProject || !InstalledExportForms().ExportProject)
        return;
    ActiveProject->AutoSave();
    std::int32_t start = -1, end = -1;
    const bool selection = timelineSelection && EditorServices().TimelineSelection(start, end) &&
                           start >= 0 && end >= 0;
    RunDimmed(this, [&] {
        SaveLastStep(SettingsRecord, ActiveProject, "Export Form");
        InstalledExportForms().ExportProject(selection, std::min(start, end), std::max(start, end));
    });
}
