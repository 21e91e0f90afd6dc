#pragma once
// The export dialog: the user sets the active project's export options (format, file name and
// folder, mode and speeds, the video, audio and web-page settings and the time range) on a
// copy, which is written back only when "Export" is pressed. Created once at start-up and
// reused; every Execute reloads the controls from the project.

#include "core/URProject.h"

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;
class TRColorButton;
class TRGPEditEx;
class TRGlyphButton;

class Trexport : public QDialog {
    Q_OBJECT
public:
    explicit Trexport(QWidget* parent = nullptr);
    ~Trexport() override;

    // Shows the dialog for the active project; true when "Export" stored the options. With
    // `selection` the time range starts as `start`..`end` (ms).
    bool Execute(bool selection, std::int32_t start, std::int32_t end);
    // Loads the controls for the active project without showing the dialog; false without one.
    bool Prepare(bool selection, std::int32_t start, std::int32_t end);
    // Writes the controls into the active project's options and marks it modified.
    void Store();

    // The format code of the selected item, 0 without one.
    int SelectedFormat() const;

    // 1 after "Export", 0 otherwise.
    int Tag = 0;
    std::int32_t projW = 0;
    std::int32_t projH = 0;
    TRProjectExportOptions tmpoptions;

    QGroupBox* gbOutputFile;
    QComboBox* cbformat;
    QLineEdit* edFilename;
    QLabel* edFilePath; // the output folder (its hint holds it whole)
    QToolButton* btnFolder;
    QComboBox* cbMode;
    TRGPEditEx* edVideoSpeed;
    TRGPEditEx* edReverseSpeed;
    QGroupBox* gbVideo;
    QComboBox* cbFramerate;
    QComboBox* cbFramerateGIF;
    QComboBox* cbFrameRateMode;
    QComboBox* cbSize;
    QSpinBox* edWidth;
    QSpinBox* edHeight;
    TRGlyphButton* btnAspectRatio;
    QComboBox* cbScale;
    TRColorButton* btnColor;
    TRGPEditEx* edVideoQuality;
    QWidget* pOptimize; // the optimise row: lboptimize and the GIF or WebP choice
    QLabel* lboptimize;
    QComboBox* cbOptimizeGif;
    TRColorButton* btnGifColor;
    QComboBox* cbOptimizeWebP;
    QGroupBox* gbAudio;
    QCheckBox* edAudio;
    QLabel* laudiobitrate;
    QComboBox* cbAudioBitrate;
    QComboBox* cbAudioBitrateMP3;
    QComboBox* cbAudioBitrateWAV;
    QCheckBox* edAudioPitch;
    QCheckBox* edAudioPitchReversed;
    QCheckBox* edNormalizeL;
    TRGPEditEx* edAudioLoudness;
    TRGPEditEx* edAudioVolume;
    QGroupBox* gbHtml;
    QCheckBox* edHtml5;
    QCheckBox* edcontrols;
    QComboBox* cbatstart;
    QComboBox* cbatend;
    QLineEdit* edurl;
    QCheckBox* cbSelection;
    QToolButton* btnPaste;
    QTimeEdit* edTimeStart;
    QTimeEdit* edTimeEnd;
    QPushButton* btnCreate;
    QPushButton* btnCancel;
    QLabel* lbinstall;

    // ---- handlers ----
    void cbformatChange();
    void btnCreateClick();
    void btnFolderClick();
    void edFilenameExit();
    void btnPasteClick();
    void cbSelectionClick();
    void edTimeStartChange();
    void edTimeEndChange();
    void cbModeChange();
    void edVideoSpeedChange();
    void edReverseSpeedChange();
    void cbFrameRateModeChange();
    void cbSizeChange();
    void edWidthChange();
    void edHeightChange();
    void btnAspectRatioClick();
    void cbScaleChange();
    void cbOptimizeGifChange();
    void edAudioClick();
    void UpdateAudioControls();
    void edNormalizeLClick();
    void edHtml5Click();
    void cbatendChange();

protected:
    // A click on the folder opens it in the file manager.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateOutputGroup();
    void CreateVideoGroup();
    void CreateAudioGroup();
    void CreateHtmlGroup();
    QWidget* CreateRangeRow();
    QWidget* CreateButtonRow();
    void FillFormats();
    void LoadVideo();
    void LoadAudio();
    void LoadRange(bool selection, std::int32_t start, std::int32_t end);
    void PlaceOptimizeRow(bool inQualitysPlace);
    void SetSize(int width, int height);
    void SetFolder(const QString& folder);
    bool Message(const QString& text);

    TRProject* FProject = nullptr;
    QString FFolder; // the output folder, shown in edFilePath
    std::int32_t FProjectEnd = 0;
    TColor FColor = 0;
    TColor FGifColor = 0;
    bool FRangeGuard = false;
    bool FSizeGuard = false;
};

// The one export dialog (null until it is made).
extern Trexport* ExportDialog;
