#include "export/ui/URExport.h"

#include "core/UREditorServices.h"
#include "core/URFileFilter.h"
#include "core/URFrameRates.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URStyle.h"
#include "export/ui/URCloudFormKit.h"
#include "media/UREncoderProbe.h"
#include "media/URExportFormats.h"
#include "platform/system/Shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

Trexport* ExportDialog = nullptr;

namespace {

constexpr int MsPerDay = 86400000;
constexpr int DefaultFrameRateItem = 6;    // 30 fps
constexpr int DefaultGifFrameRateItem = 4; // 10 fps

QColor ToQColor(TColor color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}

QComboBox* Combo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

QLabel* Label(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QCheckBox* Check(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

// A labelled value editor with its unit, range, default and favourite values.
TRGPEditEx* ValueEditor(const QString& name, const QString& caption, const QString& unit,
                        double minimum, double maximum, double defaultValue, int snap,
                        const QList<int>& favourites, QWidget* parent) {
    auto* editor = new TRGPEditEx(parent);
    editor->setObjectName(name);
    editor->SetAnimate(false);
    editor->SetCaption(caption);
    editor->SetUM(unit);
    editor->SetMinMaxValues(minimum, maximum);
    editor->SetDefaultValue(defaultValue);
    editor->SetSnapDelta(snap);
    editor->SetSnapValues(favourites);
    editor->setMinimumHeight(Scaled(26, parent));
    // The group's own margins stand in for the editor's, so the caption has room.
    editor->setContentsMargins(0, Scaled(2, parent), 0, Scaled(2, parent));
    return editor;
}

QStringList RateItems(const auto& rates) {
    QStringList items;
    for (int rate : rates)
        items << QString::number(rate) + QStringLiteral(" fps ");
    return items;
}

// The item showing `rate` in a frame-rate list, or `fallback`.
int RateItem(const auto& rates, int rate, int fallback) {
    for (std::size_t i = 0; i < rates.size(); ++i)
        if (rates[i] == rate)
            return int(i);
    return fallback;
}

QTime TimeOf(std::int32_t ms) {
    return QTime::fromMSecsSinceStartOfDay(std::clamp(ms, 0, MsPerDay - 1));
}

std::int32_t MsOf(const QTimeEdit* edit) {
    return edit->time().msecsSinceStartOfDay();
}

// A colour swatch is drawn at a quarter of its opacity while it cannot be used.
void EnableSwatch(TRColorButton* swatch, bool enabled) {
    swatch->setEnabled(enabled);
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(swatch->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(swatch);
        swatch->setGraphicsEffect(effect);
    }
    effect->setOpacity(enabled ? 1.0 : 0.25);
}

void SetIndex(QComboBox* combo, int index, int fallback) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : fallback);
}

} // namespace

Trexport::Trexport(QWidget* parent) : QDialog(parent) {
    setObjectName("Trexport");
    setWindowTitle(QStringLiteral("Export"));
    setFont(StyleFont());
    setStyleSheet(CloudFormStyleSheet());
    setFixedSize(Scaled(570, this), Scaled(466, this));
    if (!ExportDialog)
        ExportDialog = this;

    CreateOutputGroup();
    CreateVideoGroup();
    CreateAudioGroup();
    CreateHtmlGroup();
    auto* columns = new QHBoxLayout;
    columns->setSpacing(Scaled(10, this));
    auto* left = new QVBoxLayout;
    left->addWidget(gbOutputFile);
    left->addWidget(gbHtml);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(gbVideo);
    right->addWidget(gbAudio);
    right->addStretch();
    // The speed editors' captions need the wider column.
    gbVideo->setFixedWidth(Scaled(262, this));
    gbAudio->setFixedWidth(Scaled(262, this));
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(Scaled(10, this), Scaled(8, this), Scaled(10, this), 0);
    body->addLayout(columns, 1);
    body->addWidget(CreateRangeRow());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(body, 1);
    layout->addWidget(CreateButtonRow());
}

Trexport::~Trexport() {
    if (ExportDialog == this)
        ExportDialog = nullptr;
}

// ---- building ----

void Trexport::CreateOutputGroup() {
    gbOutputFile = new QGroupBox(QStringLiteral(" Output File "), this);
    gbOutputFile->setObjectName("gbOutputFile");
    cbformat = Combo("cbformat", {}, gbOutputFile);
    edFilename = new QLineEdit(gbOutputFile);
    edFilename->setObjectName("edFilename");
    edFilePath = Label("edFilePath", {}, gbOutputFile);
    edFilePath->setCursor(Qt::PointingHandCursor);
    edFilePath->setStyleSheet("QLabel#edFilePath { color: #00A1A1; }"
                              "QLabel#edFilePath:hover { color: #3FD5D5; }");
    edFilePath->setMinimumWidth(Scaled(60, this));
    edFilePath->installEventFilter(this);
    btnFolder = new QToolButton(gbOutputFile);
    btnFolder->setObjectName("btnFolder");
    btnFolder->setIcon(CloudIcon(TRCloudIcon::FolderOpen));
    btnFolder->setToolTip(QStringLiteral("Select Folder"));
    btnFolder->setAutoRaise(true);
    cbMode =
        Combo("cbMode", {"Export Video", "Export Reversed Video", "Export Video + Reversed Video"},
              gbOutputFile);
    const QList<int> speeds{25, 50, 75, 100, 125, 150, 175, 200, 250, 300, 350};
    edVideoSpeed =
        ValueEditor("edVideoSpeed", "Video speed", "%", 25, 400, 100, 10, speeds, gbOutputFile);
    edReverseSpeed =
        ValueEditor("edReverseSpeed", "Reverse speed", "%", 25, 400, 100, 10, speeds, gbOutputFile);

    auto* grid = new QGridLayout(gbOutputFile);
    grid->addWidget(Label("lformat", "Format", gbOutputFile), 0, 0);
    grid->addWidget(cbformat, 0, 1, 1, 2);
    grid->addWidget(Label("lname", "Name", gbOutputFile), 1, 0);
    grid->addWidget(edFilename, 1, 1, 1, 2);
    grid->addWidget(Label("lfolder", "Folder", gbOutputFile), 2, 0);
    grid->addWidget(edFilePath, 2, 1);
    grid->addWidget(btnFolder, 2, 2);
    grid->addWidget(Label("lbMode", "Mode", gbOutputFile), 3, 0);
    grid->addWidget(cbMode, 3, 1, 1, 2);
    grid->addWidget(edVideoSpeed, 4, 0, 1, 3);
    grid->addWidget(edReverseSpeed, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setContentsMargins(Scaled(6, this), grid->contentsMargins().top(), Scaled(6, this),
                             grid->contentsMargins().bottom());

    connect(cbformat, &QComboBox::currentIndexChanged, this, &Trexport::cbformatChange);
    connect(edFilename, &QLineEdit::editingFinished, this, &Trexport::edFilenameExit);
    connect(btnFolder, &QToolButton::clicked, this, &Trexport::btnFolderClick);
    connect(cbMode, &QComboBox::currentIndexChanged, this, &Trexport::cbModeChange);
    connect(edVideoSpeed, &TRGPEditEx::Changed, this, &Trexport::edVideoSpeedChange);
    connect(edReverseSpeed, &TRGPEditEx::Changed, this, &Trexport::edReverseSpeedChange);
}

void Trexport::CreateVideoGroup() {
    gbVideo = new QGroupBox(QStringLiteral(" Video "), this);
    gbVideo->setObjectName("gbVideo");
    cbFramerate = Combo("cbFramerate", RateItems(VideoFrameRates), gbVideo);
    cbFramerateGIF = Combo("cbFramerateGIF", RateItems(GifFrameRates), gbVideo);
    cbFrameRateMode = Combo("cbFrameRateMode", {"CFR", "VFR"}, gbVideo);
    QStringList sizes{"Project Size", "Custom Size"};
    for (const TRProjectSizePreset& preset : ProjectSizePresets)
        sizes << QStringLiteral("%1 x %2  %3")
                     .arg(preset.Width)
                     .arg(preset.Height)
                     .arg(QString::fromUtf8(preset.Name));
    cbSize = Combo("cbSize", sizes, gbVideo);
    const auto spin = [this](const QString& name, const QString& hint, int maximum) {
        auto* edit = new QSpinBox(gbVideo);
        edit->setObjectName(name);
        edit->setToolTip(hint);
        edit->setRange(100, maximum);
        edit->setSuffix(QStringLiteral(" px"));
        return edit;
    };
    edWidth = spin("edWidth", "Width", 3840);
    edHeight = spin("edHeight", "Height", 2160);
    btnAspectRatio = new TRGlyphButton(GlyphLink, gbVideo);
    btnAspectRatio->setObjectName("btnAspectRatio");
    btnAspectRatio->setToolTip(QStringLiteral("Aspect ratio"));
    cbScale = Combo("cbScale", {"Do Not Scale", "Scale", "Scale To Fit"}, gbVideo);
    btnColor = new TRColorButton(gbVideo);
    btnColor->setObjectName("btnColor");
    btnColor->setToolTip(QStringLiteral("Background Color"));
    edVideoQuality = ValueEditor("edVideoQuality", "Quality", "%", 50, 100, 80, 2,
                                 {50, 60, 70, 80, 90}, gbVideo);
    pOptimize = new QWidget(gbVideo);
    pOptimize->setObjectName("pOptimize");
    lboptimize = Label("lboptimize", "Optimize", pOptimize);
    cbOptimizeGif = Combo("cbOptimizeGif", {"None", "Changes", "Transparency", "All"}, pOptimize);
    btnGifColor = new TRColorButton(pOptimize);
    btnGifColor->setObjectName("btnGifColor");
    btnGifColor->setToolTip(QStringLiteral("Transparent Color"));
    cbOptimizeWebP = Combo("cbOptimizeWebP", {"None", "Changes"}, pOptimize);
    auto* optimize = new QHBoxLayout(pOptimize);
    optimize->setContentsMargins(0, 0, 0, 0);
    optimize->addWidget(lboptimize);
    optimize->addWidget(cbOptimizeGif, 1);
    optimize->addWidget(cbOptimizeWebP, 1);
    optimize->addWidget(btnGifColor);

    auto* grid = new QGridLayout(gbVideo);
    grid->addWidget(Label("lframerate", "Frame rate", gbVideo), 0, 0);
    grid->addWidget(cbFramerate, 0, 1);
    grid->addWidget(cbFramerateGIF, 0, 1);
    grid->addWidget(Label("lbFrameRateMode", "Mode", gbVideo), 0, 2);
    grid->addWidget(cbFrameRateMode, 0, 3);
    grid->addWidget(Label("lsize", "Size", gbVideo), 1, 0);
    grid->addWidget(cbSize, 1, 1, 1, 3);
    auto* dimensions = new QHBoxLayout;
    dimensions->addWidget(edWidth, 1);
    dimensions->addWidget(btnAspectRatio);
    dimensions->addWidget(edHeight, 1);
    grid->addLayout(dimensions, 2, 1, 1, 3);
    auto* scale = new QHBoxLayout;
    scale->addWidget(cbScale, 1);
    scale->addWidget(btnColor);
    grid->addLayout(scale, 3, 1, 1, 3);
    auto* quality = new QVBoxLayout;
    quality->setObjectName("qualityRows");
    quality->addWidget(edVideoQuality);
    quality->addWidget(pOptimize);
    grid->addLayout(quality, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(Scaled(4, this));
    grid->setContentsMargins(Scaled(6, this), grid->contentsMargins().top(), Scaled(6, this),
                             grid->contentsMargins().bottom());

    connect(cbFrameRateMode, &QComboBox::currentIndexChanged, this,
            &Trexport::cbFrameRateModeChange);
    connect(cbSize, &QComboBox::currentIndexChanged, this, &Trexport::cbSizeChange);
    connect(edWidth, &QSpinBox::valueChanged, this, &Trexport::edWidthChange);
    connect(edHeight, &QSpinBox::valueChanged, this, &Trexport::edHeightChange);
    connect(btnAspectRatio, &TRGlyphButton::toggled, this, &Trexport::btnAspectRatioClick);
    connect(cbScale, &QComboBox::currentIndexChanged, this, &Trexport::cbScaleChange);
    connect(cbOptimizeGif, &QComboBox::currentIndexChanged, this, &Trexport::cbOptimizeGifChange);
    connect(btnColor, &TRColorButton::Changed, this,
            [this] { FColor = ToTColor(btnColor->Color()); });
    connect(btnGifColor, &TRColorButton::Changed, this,
            [this] { FGifColor = ToTColor(btnGifColor->Color()); });
}

void Trexport::CreateAudioGroup() {
    gbAudio = new QGroupBox(QStringLiteral(" Audio "), this);
    gbAudio->setObjectName("gbAudio");
    edAudio = Check("edAudio", "Include Audio", gbAudio);
    laudiobitrate = Label("laudiobitrate", "Bit rate", gbAudio);
    cbAudioBitrate =
        Combo("cbAudioBitrate", {"96 Kbps", "128 Kbps", "160 Kbps", "192 Kbps"}, gbAudio);
    cbAudioBitrateMP3 = Combo("cbAudioBitrateMP3",
                              {"96 Kbps", "112 Kbps", "128 Kbps", "160 Kbps", "192 Kbps",
                               "224 Kbps", "256 Kbps", "320 Kbps"},
                              gbAudio);
    cbAudioBitrateWAV = Combo("cbAudioBitrateWAV", {"1411 Kbps"}, gbAudio);
    edAudioPitch = Check("edAudioPitch", "Preserve pitch", gbAudio);
    edAudioPitchReversed = Check("edAudioPitchReversed", "Preserve pitch (reversed)", gbAudio);
    edNormalizeL = Check("edNormalizeL", "Normalize perceived loudness", gbAudio);
    edAudioLoudness = ValueEditor("edAudioLoudness", "Loudness", "LUFS", -23, -6,
                                  SettingsRecord.TargetLoudness, 1, {-23, -18, -14, -10}, gbAudio);
    edAudioVolume = ValueEditor("edAudioVolume", "Volume", "%", 0, 200, 100, 5,
                                {0, 25, 50, 75, 100, 125, 150, 175}, gbAudio);

    auto* grid = new QGridLayout(gbAudio);
    grid->addWidget(edAudio, 0, 0, 1, 2);
    grid->addWidget(laudiobitrate, 1, 0);
    grid->addWidget(cbAudioBitrate, 1, 1);
    grid->addWidget(cbAudioBitrateMP3, 1, 1);
    grid->addWidget(cbAudioBitrateWAV, 1, 1);
    grid->addWidget(edAudioPitch, 2, 0, 1, 2);
    grid->addWidget(edAudioPitchReversed, 3, 0, 1, 2);
    grid->addWidget(edNormalizeL, 4, 0, 1, 2);
    grid->addWidget(edAudioLoudness, 5, 0, 1, 2);
    grid->addWidget(edAudioVolume, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(edAudio, &QCheckBox::clicked, this, &Trexport::edAudioClick);
    connect(edNormalizeL, &QCheckBox::clicked, this, &Trexport::edNormalizeLClick);
}

void Trexport::CreateHtmlGroup() {
    gbHtml = new QGroupBox(QStringLiteral(" HTML File "), this);
    gbHtml->setObjectName("gbHtml");
    edHtml5 = Check("edHtml5", "Generate HTML file", gbHtml);
    edcontrols = Check("edcontrols", "Show video controls", gbHtml);
    cbatstart = Combo("cbatstart", {"Autoplay", "Play Button"}, gbHtml);
    cbatend = Combo("cbatend", {"Loop Playback", "Stop", "Replay Button", "Go to URL"}, gbHtml);
    edurl = new QLineEdit(gbHtml);
    edurl->setObjectName("edurl");

    auto* grid = new QGridLayout(gbHtml);
    grid->addWidget(edHtml5, 0, 0, 1, 2);
    grid->addWidget(edcontrols, 1, 0, 1, 2);
    grid->addWidget(Label("latstart", "At start", gbHtml), 2, 0);
    grid->addWidget(cbatstart, 2, 1);
    grid->addWidget(Label("latend", "At end", gbHtml), 3, 0);
    grid->addWidget(cbatend, 3, 1);
    grid->addWidget(edurl, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(edHtml5, &QCheckBox::clicked, this, &Trexport::edHtml5Click);
    connect(edcontrols, &QCheckBox::clicked, this, &Trexport::cbSelectionClick);
    connect(cbatend, &QComboBox::currentIndexChanged, this, &Trexport::cbatendChange);
}

QWidget* Trexport::CreateRangeRow() {
    auto* row = new QWidget(this);
    cbSelection = Check("cbSelection", "Time range selection", row);
    btnPaste = new QToolButton(row);
    btnPaste->setObjectName("btnPaste");
    btnPaste->setIcon(CloudIcon(TRCloudIcon::Copy));
    btnPaste->setToolTip(QStringLiteral("Paste timeline selection"));
    btnPaste->setAutoRaise(true);
    const auto time = [row](const QString& name, const QString& hint) {
        auto* edit = new QTimeEdit(row);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("HH:mm:ss.zzz"));
        edit->setToolTip(hint);
        return edit;
    };
    edTimeStart = time("edTimeStart", "Start time");
    edTimeEnd = time("edTimeEnd", "End time");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, Scaled(4, this), 0, Scaled(4, this));
    layout->addWidget(cbSelection);
    layout->addWidget(btnPaste);
    layout->addStretch();
    layout->addWidget(edTimeStart);
    layout->addWidget(Label("lTimeTo", QStringLiteral("-"), row));
    layout->addWidget(edTimeEnd);

    connect(cbSelection, &QCheckBox::clicked, this, &Trexport::cbSelectionClick);
    connect(btnPaste, &QToolButton::clicked, this, &Trexport::btnPasteClick);
    connect(edTimeStart, &QTimeEdit::timeChanged, this, &Trexport::edTimeStartChange);
    connect(edTimeEnd, &QTimeEdit::timeChanged, this, &Trexport::edTimeEndChange);
    return row;
}

QWidget* Trexport::CreateButtonRow() {
    btnCreate = CloudButton(QStringLiteral("Export"), QStringLiteral("btnCreate"), this);
    btnCreate->setDefault(true);
    btnCancel = CloudButton(QStringLiteral("Cancel"), QStringLiteral("btnCancel"), this);
    lbinstall = Label("lbinstall", "Please install HEVC Video Extensions  and restart!", this);
    lbinstall->hide();
    QWidget* bar = CloudBottomBar(this, {lbinstall}, {btnCreate, btnCancel});
    connect(btnCreate, &QPushButton::clicked, this, &Trexport::btnCreateClick);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        Tag = 0;
        reject();
    });
    return bar;
}

// ---- Execute ----

bool Trexport::Execute(bool selection, std::int32_t start, std::int32_t end) {
    if (!Prepare(selection, start, end))
        return false;
    CenterOnMainForm(this);
    exec();
    if (Tag != 1)
        return false;
    Store();
    return true;
}

bool Trexport::Prepare(bool selection, std::int32_t start, std::int32_t end) {
    FProject = EditorServices().ActiveProject();
    if (!FProject)
        return false;
    tmpoptions = FProject->ExportOptions();
    Tag = 0;
    edFilename->setText(tmpoptions.FileName.isEmpty() ? FProject->ObjectName()
                                                      : tmpoptions.FileName);
    if (!EncoderProbeDone())
        GetHardwareH264Available(); // runs the probe and publishes its flags
    FillFormats();
    edHtml5->setChecked(tmpoptions.Html);
    edcontrols->setChecked(tmpoptions.Html_Controls);
    SetIndex(cbatstart, tmpoptions.Html_AtStart_Action, 1);
    SetIndex(cbatend, tmpoptions.Html_AtEnd_Action, 2);
    edurl->setText(tmpoptions.Html_AtEnd_URL);
    SetFolder(tmpoptions.FilePath.isEmpty() ? GetVideosFolder(SettingsRecord)
                                            : tmpoptions.FilePath);
    SetIndex(cbMode, tmpoptions.ExportMode, 0);
    edVideoSpeed->SetValue(tmpoptions.MediaSpeed / 10);
    edReverseSpeed->SetValue(tmpoptions.ReversedSpeed / 10);
    cbModeChange();
    LoadVideo();
    LoadAudio();
    LoadRange(selection, start, end);
    return true;
}

void Trexport::FillFormats() {
    const QSignalBlocker filling(cbformat);
    cbformat->clear();
    for (int code = 1; code <= ExportFormatCount; ++code) {
        const TRExportFormat& row = ExportFormatTable[code - 1];
        if (row.Enabled || row.ShowWhenUnavailable)
            cbformat->addItem(row.Name, code);
    }
    const int stored = cbformat->findData(tmpoptions.Format);
    cbformat->setCurrentIndex(stored >= 0 ? stored : 0);
}

void Trexport::LoadVideo() {
    SetIndex(cbFramerate, RateItem(VideoFrameRates, tmpoptions.FramePS, DefaultFrameRateItem),
             DefaultFrameRateItem);
    SetIndex(cbFramerateGIF,
             RateItem(GifFrameRates, tmpoptions.FramePSGIF, DefaultGifFrameRateItem),
             DefaultGifFrameRateItem);
    SetIndex(cbFrameRateMode, tmpoptions.FrameMode, 0);
    cbFrameRateModeChange();
    edVideoQuality->SetValue(tmpoptions.Quality);
    FProject->GetProjectSize(projW, projH);
    if (tmpoptions.Width == 0 || tmpoptions.Height == 0) {
        tmpoptions.Width = projW;
        tmpoptions.Height = projH;
    }
    {
        const QSignalBlocker loading(cbSize);
        SetIndex(cbSize, tmpoptions.VideoSize, 0);
    }
    cbSizeChange();
    SetIndex(cbScale, tmpoptions.Scale, 0);
    FColor = tmpoptions.Color;
    btnColor->SetColor(ToQColor(FColor));
    cbScaleChange();
    SetIndex(cbOptimizeGif, tmpoptions.GifOptimize, 1);
    FGifColor = tmpoptions.GifColor;
    btnGifColor->SetColor(ToQColor(FGifColor));
    SetIndex(cbOptimizeWebP, tmpoptions.WebPOptimize, 1);
}

void Trexport::LoadAudio() {
    edAudio->setChecked(tmpoptions.Audio);
    SetIndex(cbAudioBitrate, tmpoptions.AudioBitrate, 3);
    SetIndex(cbAudioBitrateMP3, tmpoptions.AudioBitrateMP3, 4);
    edAudioPitch->setChecked(tmpoptions.AudioPitch);
    edAudioPitchReversed->setChecked(tmpoptions.AudioPitchReversed);
    edNormalizeL->setChecked(tmpoptions.AudioNormalizeLoudness);
    edAudioLoudness->SetDefaultValue(SettingsRecord.TargetLoudness);
    edAudioLoudness->SetValue(tmpoptions.AudioLoudness);
    edAudioVolume->SetValue(double(tmpoptions.AudioVolume) * 100);
    edNormalizeLClick();
    cbformatChange();
    if (edAudio->isEnabled())
        UpdateAudioControls();
}

void Trexport::LoadRange(bool selection, std::int32_t start, std::int32_t end) {
    FProjectEnd = FProject->TimeEnd();
    FRangeGuard = true;
    if (selection) {
        cbSelection->setChecked(true);
        edTimeStart->setTime(TimeOf(start));
        edTimeEnd->setTime(TimeOf(end));
    } else {
        cbSelection->setChecked(tmpoptions.Selection);
        edTimeStart->setTime(TimeOf(tmpoptions.SelTimeStart));
        const std::int32_t stored =
            tmpoptions.SelTimeEnd == 0 ? FProjectEnd : tmpoptions.SelTimeEnd;
        edTimeEnd->setTime(TimeOf(std::min(stored, FProjectEnd)));
    }
    FRangeGuard = false;
    cbSelectionClick();
    edTimeEnd->setToolTip(QStringLiteral("End time\nProject duration: ") +
                          FormatTimeFrames(FProjectEnd));
}

void Trexport::Store() {
    if (!FProject)
        return;
    tmpoptions = FProject->ExportOptions();
    if (const int code = SelectedFormat())
        tmpoptions.Format = code;
    tmpoptions.FileName = edFilename->text();
    tmpoptions.FilePath = FFolder;
    AddVideosFolder(SettingsRecord, tmpoptions.FilePath);
    tmpoptions.Html = edHtml5->isChecked();
    tmpoptions.Html_Controls = edcontrols->isChecked();
    tmpoptions.Html_AtStart_Action = cbatstart->currentIndex();
    tmpoptions.Html_AtEnd_Action = cbatend->currentIndex();
    tmpoptions.Html_AtEnd_URL = edurl->text();
    if (cbMode->currentIndex() >= 0)
        tmpoptions.ExportMode = cbMode->currentIndex();
    tmpoptions.MediaSpeed = std::int32_t(std::trunc(edVideoSpeed->Value() * 10));
    tmpoptions.ReversedSpeed = std::int32_t(std::trunc(edReverseSpeed->Value() * 10));
    tmpoptions.Selection = cbSelection->isChecked();
    if (tmpoptions.Selection) {
        tmpoptions.SelTimeStart = MsOf(edTimeStart);
        tmpoptions.SelTimeEnd = MsOf(edTimeEnd);
    }
    tmpoptions.FramePS = VideoFrameRates[std::size_t(std::max(cbFramerate->currentIndex(), 0))];
    tmpoptions.FramePSGIF = GifFrameRates[std::size_t(std::max(cbFramerateGIF->currentIndex(), 0))];
    tmpoptions.FrameMode = cbFrameRateMode->currentIndex();
    tmpoptions.Quality = std::int32_t(std::trunc(edVideoQuality->Value()));
    tmpoptions.AspectRatio = btnAspectRatio->isChecked();
    tmpoptions.VideoSize = cbSize->currentIndex();
    tmpoptions.Scale = cbScale->currentIndex();
    if (tmpoptions.VideoSize == 1) {
        tmpoptions.Width = edWidth->value();
        tmpoptions.Height = edHeight->value();
    }
    tmpoptions.Color = FColor;
    tmpoptions.GifOptimize = cbOptimizeGif->currentIndex();
    tmpoptions.GifColor = FGifColor;
    tmpoptions.WebPOptimize = cbOptimizeWebP->currentIndex();
    tmpoptions.Audio = edAudio->isChecked();
    tmpoptions.AudioBitrate = cbAudioBitrate->currentIndex();
    tmpoptions.AudioBitrateMP3 = cbAudioBitrateMP3->currentIndex();
    tmpoptions.AudioPitch = edAudioPitch->isChecked();
    tmpoptions.AudioPitchReversed = edAudioPitchReversed->isChecked();
    tmpoptions.AudioNormalizeLoudness = edNormalizeL->isChecked();
    tmpoptions.AudioLoudness = float(edAudioLoudness->Value());
    tmpoptions.AudioVolume = float(edAudioVolume->Value() / 100);
    FProject->SetModified(true);
    FProject->ExportOptions() = tmpoptions;
}

int Trexport::SelectedFormat() const {
    const int code = cbformat->currentData().toInt();
    return code >= 1 && code <= ExportFormatCount ? code : 0;
}

// ---- handlers ----

bool Trexport::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edFilePath && event->type() == QEvent::MouseButtonRelease &&
        QFileInfo(FFolder).isDir())
        platform::system::openPath(FFolder);
    return QDialog::eventFilter(watched, event);
}

void Trexport::cbformatChange() {
    const int code = SelectedFormat();
    if (!code)
        return;
    const TRExportFormat& row = ExportFormatTable[code - 1];
    const QFileInfo name(edFilename->text());
    if (!name.fileName().isEmpty() && '.' + name.suffix() != row.Ext)
        edFilename->setText(name.completeBaseName() + row.Ext);
    const bool animated = code == 6 || code == 7;
    gbVideo->setEnabled(row.HasVideo);
    cbSizeChange();
    cbScaleChange();
    cbOptimizeGifChange();
    gbAudio->setEnabled(row.HasAudio);
    if (!row.HasVideo)
        edAudio->setChecked(true);
    edAudio->setEnabled(!animated);
    UpdateAudioControls();
    edVideoSpeedChange();
    edReverseSpeedChange();
    cbFramerateGIF->setVisible(animated);
    cbFramerate->setVisible(!animated);
    pOptimize->setVisible(animated);
    cbOptimizeGif->setVisible(code == 6);
    btnGifColor->setVisible(code == 6);
    cbOptimizeWebP->setVisible(code == 7);
    PlaceOptimizeRow(animated);
    edVideoQuality->setVisible(!animated);
    if (!animated) {
        UpdateAudioControls();
        cbAudioBitrate->setVisible(code != 9 && code != 10);
        cbAudioBitrateWAV->setVisible(code == 9);
        cbAudioBitrateMP3->setVisible(code == 10);
    }
    edHtml5->setEnabled(code >= 1 && code <= 4);
    edHtml5Click();
    btnCreate->setEnabled(row.Enabled && FProject);
    lbinstall->setVisible(!btnCreate->isEnabled() && row.ShowWhenUnavailable);
}

// For GIF and WebP the optimise row takes the quality row's place.
void Trexport::PlaceOptimizeRow(bool inQualitysPlace) {
    auto* rows = gbVideo->findChild<QVBoxLayout*>("qualityRows");
    const bool optimizeFirst = rows->indexOf(pOptimize) < rows->indexOf(edVideoQuality);
    if (optimizeFirst == inQualitysPlace)
        return;
    rows->removeWidget(pOptimize);
    rows->insertWidget(inQualitysPlace ? 0 : 1, pOptimize);
}

bool Trexport::Message(const QString& text) {
    TRMessageBox box(this);
    box.Execute(text, TRMessageBox::MB_OK, TRMessageBox::MB_ICONERROR);
    return false;
}

void Trexport::btnCreateClick() {
    const QString folder = FFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        Message(QStringLiteral("The destination folder doesn't exist.\r") + folder +
                QStringLiteral("\rPlease enter a valid location."));
        return;
    }
    // The name is cleaned here too, not only when the field is left.
    const QString typed = edFilename->text();
    edFilenameExit();
    if (QFileInfo(edFilename->text()).completeBaseName().trimmed().isEmpty()) {
        Message(QStringLiteral("The filename is incorrect.\r") + typed + QStringLiteral("\r"));
        return;
    }
    Tag = 1;
    accept();
}

void Trexport::btnFolderClick() {
    const int code = SelectedFormat();
    if (!code)
        return;
    const TRExportFormat& row = ExportFormatTable[code - 1];
    QFileDialog dialog(this, QString(), QDir(FFolder).filePath(edFilename->text()),
                       QtFileFilter(row.Filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(row.Ext.mid(1));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QFileInfo chosen(dialog.selectedFiles().first());
    SetFolder(chosen.absolutePath() + '/');
    edFilename->setText(chosen.fileName());
}

void Trexport::edFilenameExit() {
    edFilename->setText(ReplaceInvalidFileNameChars(edFilename->text()));
}

void Trexport::btnPasteClick() {
    std::int32_t start = -1, end = -1;
    if (!EditorServices().TimelineSelection(start, end))
        return;
    FRangeGuard = true;
    edTimeStart->setTime(TimeOf(std::min(start, end)));
    edTimeEnd->setTime(TimeOf(std::max(start, end)));
    FRangeGuard = false;
}

void Trexport::cbSelectionClick() {
    const bool range = cbSelection->isChecked();
    edTimeStart->setEnabled(range);
    edTimeEnd->setEnabled(range);
    std::int32_t start = -1, end = -1;
    btnPaste->setEnabled(range && EditorServices().TimelineSelection(start, end));
}

void Trexport::edTimeStartChange() {
    if (FRangeGuard)
        return;
    if (edTimeStart->time() > edTimeEnd->time()) {
        const QSignalBlocker guard(edTimeStart);
        edTimeStart->setTime(edTimeEnd->time());
    }
}

void Trexport::edTimeEndChange() {
    if (FRangeGuard)
        return;
    const QSignalBlocker guard(edTimeEnd);
    if (edTimeEnd->time() < edTimeStart->time())
        edTimeEnd->setTime(edTimeStart->time());
    if (MsOf(edTimeEnd) > FProjectEnd)
        edTimeEnd->setTime(TimeOf(FProjectEnd));
}

void Trexport::cbModeChange() {
    const int mode = cbMode->currentIndex();
    edVideoSpeed->setEnabled(mode != 1);
    edReverseSpeed->setEnabled(mode == 1 || mode == 2);
    edVideoSpeedChange();
    edReverseSpeedChange();
}

void Trexport::edVideoSpeedChange() {
    edAudioPitch->setEnabled(std::trunc(edVideoSpeed->Value()) != 100 && edAudio->isEnabled() &&
                             edAudio->isChecked() && edVideoSpeed->isEnabled());
}

void Trexport::edReverseSpeedChange() {
    edAudioPitchReversed->setEnabled(std::trunc(edReverseSpeed->Value()) != 100 &&
                                     edAudio->isEnabled() && edAudio->isChecked() &&
                                     edReverseSpeed->isEnabled());
}

void Trexport::cbFrameRateModeChange() {
    cbFrameRateMode->setToolTip(cbFrameRateMode->currentIndex() == 1
                                    ? QStringLiteral("Variable Frame Rate")
                                    : QStringLiteral("Constant Frame Rate"));
}

// A long folder is shown shortened in its middle; the hint holds it whole.
void Trexport::SetFolder(const QString& folder) {
    FFolder = folder;
    edFilePath->setToolTip(folder);
    edFilePath->setText(
        edFilePath->fontMetrics().elidedText(folder, Qt::ElideMiddle, Scaled(175, this)));
}

void Trexport::SetSize(int width, int height) {
    FSizeGuard = true;
    edWidth->setValue(width);
    edHeight->setValue(height);
    FSizeGuard = false;
}

void Trexport::cbSizeChange() {
    const int item = cbSize->currentIndex();
    const bool custom = item == 1;
    if (item <= 0)
        SetSize(projW, projH);
    else if (custom)
        SetSize(tmpoptions.Width, tmpoptions.Height);
    else {
        const TRProjectSizePreset& preset =
            ProjectSizePresets[std::clamp(item - 2, 0, ProjectSizePresetCount - 1)];
        SetSize(preset.Width, preset.Height);
    }
    edWidth->setEnabled(custom);
    edHeight->setEnabled(custom);
    btnAspectRatio->setEnabled(custom);
    btnAspectRatio->setChecked(custom && tmpoptions.AspectRatio);
    btnAspectRatioClick();
    cbScale->setEnabled(item > 0);
    cbScaleChange();
}

void Trexport::edWidthChange() {
    if (FSizeGuard || !btnAspectRatio->isChecked() || projW == 0)
        return;
    const QSignalBlocker guard(edHeight);
    edHeight->setValue(int(std::int64_t(edWidth->value()) * projH / projW));
}

void Trexport::edHeightChange() {
    if (FSizeGuard || !btnAspectRatio->isChecked() || projH == 0)
        return;
    const QSignalBlocker guard(edWidth);
    edWidth->setValue(int(std::int64_t(edHeight->value()) * projW / projH));
}

void Trexport::btnAspectRatioClick() {
    btnAspectRatio->SetGlyphIndex(btnAspectRatio->isChecked() ? GlyphLink : GlyphUnlink);
}

void Trexport::cbScaleChange() {
    EnableSwatch(btnColor, cbScale->isEnabled() && cbScale->currentIndex() != 1);
}

void Trexport::cbOptimizeGifChange() {
    const int item = cbOptimizeGif->currentIndex();
    EnableSwatch(btnGifColor, cbOptimizeGif->isEnabled() && (item == 2 || item == 3));
}

void Trexport::edAudioClick() {
    const int code = SelectedFormat();
    if (!code)
        return;
    if (code >= 7)
        edAudio->setChecked(true);
    UpdateAudioControls();
    edVideoSpeedChange();
    edReverseSpeedChange();
}

void Trexport::UpdateAudioControls() {
    const bool on = edAudio->isChecked() && edAudio->isEnabled();
    for (QWidget* control : std::initializer_list<QWidget*>{
             laudiobitrate, cbAudioBitrate, cbAudioBitrateMP3, cbAudioBitrateWAV, edNormalizeL,
             edAudioLoudness, edAudioVolume})
        control->setEnabled(on);
}

void Trexport::edNormalizeLClick() {
    edAudioLoudness->setVisible(edNormalizeL->isChecked());
    edAudioVolume->setVisible(!edNormalizeL->isChecked());
}

void Trexport::edHtml5Click() {
    const bool on = edHtml5->isEnabled() && edHtml5->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{edcontrols, gbHtml->findChild<QLabel*>("latstart"),
                                         cbatstart, gbHtml->findChild<QLabel*>("latend"), cbatend})
        control->setEnabled(on);
    cbatendChange();
}

void Trexport::cbatendChange() {
    edurl->setEnabled(edHtml5->isEnabled() && edHtml5->isChecked() && cbatend->currentIndex() == 3);
}
