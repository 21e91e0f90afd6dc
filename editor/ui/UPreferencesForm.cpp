#include "editor/ui/UPreferencesForm.h"

#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URStyle.h"
#include "platform/system/Shell.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(StyleFont(9, true));
    return label;
}

QCheckBox* Switch(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

void Load(QCheckBox* box, std::uint8_t value) {
    box->setChecked(value != 0);
}

std::uint8_t Stored(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

std::int32_t Truncated(const TRGPEditEx* editor) {
    return std::int32_t(std::trunc(editor->Value()));
}

} // namespace

TPreferencesForm::TPreferencesForm(QWidget* parent) : QDialog(parent) {
    setObjectName("TPreferencesForm");
    BuildForm();
}

TRGPEditEx* TPreferencesForm::ValueEditor(const QString& caption, int minimum, int maximum,
                                          const QString& unit, int defaultValue, int snapDelta,
                                          const QList<int>& snapValues) {
    auto* editor = new TRGPEditEx(this);
    editor->SetCaption(caption);
    editor->SetMinMaxValues(minimum, maximum);
    editor->SetUM(unit);
    editor->SetDefaultValue(defaultValue);
    editor->SetSnapDelta(snapDelta);
    // The menu offers only values the editor can take.
    QList<int> inRange;
    for (int value : snapValues)
        if (value >= minimum && value <= maximum)
            inRange << value;
    editor->SetSnapValues(inRange);
    editor->setMinimumWidth(Scaled(300, this));
    editor->setFixedHeight(Scaled(25, this));
    // The values are set while the dialog opens: nothing to slide.
    editor->SetAnimate(false);
    return editor;
}

void TPreferencesForm::BuildForm() {
    setWindowTitle("Preferences");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    EdCfu = Switch("EdCfu", "Automatically check for updates", this);
    edShowSRconfigurator = Switch("edShowSRconfigurator", "Show screen recorder quick setup", this);
    edShowVRconfigurator = Switch("edShowVRconfigurator", "Show video recorder quick setup", this);
    edObject = ValueEditor("Object", 1, 60, "s", 5, 1, {5, 10, 30, 60, 120, 180, 240, 300});
    edObject->setObjectName("edObject");
    edTransition = ValueEditor("Transition", 0, 3000, "ms", 500, 10, {100, 500, 1000, 2000, 3000});
    edTransition->setObjectName("edTransition");
    edAnimation = ValueEditor("Animation", 100, 3000, "ms", 500, 10, {100, 500, 1000, 2000, 3000});
    edAnimation->setObjectName("edAnimation");
    edCMDelete = Switch("edCMDelete", "Delete", this);
    edCMTrim = Switch("edCMTrim", "Trim", this);
    edCMSplit = Switch("edCMSplit", "Split", this);

    edFilePath = new QLabel(this);
    edFilePath->setObjectName("edFilePath");
    edFilePath->setCursor(Qt::PointingHandCursor);
    edFilePath->setToolTip("Open the folder");
    edFilePath->setMinimumWidth(Scaled(260, this));
    edFilePath->installEventFilter(this);
    btnFolder = new QToolButton(this);
    btnFolder->setObjectName("btnFolder");
    btnFolder->setToolTip("Select folder");
    btnFolder->setText("...");
    btnReset = new QToolButton(this);
    btnReset->setObjectName("btnReset");
    btnReset->setToolTip("Reset");
    btnReset->setIcon(GlyphIcon(GlyphReset, QColor(TRStyleColors::Text)));
    btnReset->setAutoRaise(true);

    edLoudness = Switch("edLoudness", "Normalize perceived loudness", this);
    edLoudnessV = ValueEditor("Loudness", -23, -6, "LUFS", -14, 1, {-23, -18, -14, -10, -6});
    edLoudnessV->setObjectName("edLoudnessV");

    btnSave = new QPushButton("Save", this);
    btnSave->setObjectName("btnSave");
    btnSave->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");

    auto* folder = new QHBoxLayout;
    folder->addWidget(edFilePath, 1);
    folder->addWidget(btnFolder);
    folder->addWidget(btnReset);
    auto* confirmations = new QHBoxLayout;
    for (QCheckBox* box : {edCMDelete, edCMTrim, edCMSplit})
        confirmations->addWidget(box);
    confirmations->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(18, this), Scaled(14, this), Scaled(18, this),
                               Scaled(12, this));
    layout->setSpacing(Scaled(6, this));
    layout->addWidget(EdCfu);
    layout->addWidget(edShowSRconfigurator);
    layout->addWidget(edShowVRconfigurator);
    layout->addSpacing(Scaled(8, this));
    layout->addWidget(Heading("Default durations:", this));
    layout->addWidget(edObject);
    layout->addWidget(edTransition);
    layout->addWidget(edAnimation);
    layout->addSpacing(Scaled(8, this));
    layout->addWidget(Heading("Confirmation messages:", this));
    layout->addLayout(confirmations);
    layout->addSpacing(Scaled(8, this));
    layout->addWidget(Heading("Temporary storage folder", this));
    layout->addLayout(folder);
    layout->addSpacing(Scaled(8, this));
    layout->addWidget(edLoudness);
    layout->addWidget(edLoudnessV);
    layout->addSpacing(Scaled(10, this));
    layout->addLayout(buttons);

    connect(edLoudness, &QCheckBox::clicked, this, &TPreferencesForm::LoudnessClick);
    connect(btnFolder, &QToolButton::clicked, this, &TPreferencesForm::FolderClick);
    connect(btnReset, &QToolButton::clicked, this, &TPreferencesForm::ResetClick);
    connect(btnSave, &QPushButton::clicked, this, [this] {
        Tag = 1;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        Tag = 0;
        reject();
    });
}

void TPreferencesForm::Load() {
    const TSettingsRecord& s = SettingsRecord;
    ::Load(EdCfu, s.CheckUpdates);
    ::Load(edShowSRconfigurator, s.ShowRecorderWizard);
    ::Load(edShowVRconfigurator, s.ShowVideoWizard);
    ::Load(edCMDelete, s.ConfirmDelete);
    ::Load(edCMTrim, s.ConfirmTrim);
    ::Load(edCMSplit, s.ConfirmSplit);
    ::Load(edLoudness, s.NormalizeLoudness);
    edObject->SetValue(s.DefaultObjectDuration);
    edTransition->SetValue(s.DefaultTransitionDuration);
    edAnimation->SetValue(s.DefaultAnimationDuration);
    edLoudnessV->SetValue(s.TargetLoudness);
    // An empty setting or the system's temporary folder means the program's default folder.
    const QString folder = s.TempStorageFolder.text();
    edFilePath->setText(SameTempFolder(folder, DefaultTempFolder()) ? DefaultTempFolder() : folder);
    LoudnessClick();
}

void TPreferencesForm::Store() {
    TSettingsRecord& s = SettingsRecord;
    s.CheckUpdates = Stored(EdCfu);
    s.ShowRecorderWizard = Stored(edShowSRconfigurator);
    s.ShowVideoWizard = Stored(edShowVRconfigurator);
    s.ConfirmDelete = Stored(edCMDelete);
    s.ConfirmTrim = Stored(edCMTrim);
    s.ConfirmSplit = Stored(edCMSplit);
    s.NormalizeLoudness = Stored(edLoudness);
    s.TargetLoudness = float(edLoudnessV->Value());
    s.DefaultObjectDuration = Truncated(edObject);
    s.DefaultTransitionDuration = Truncated(edTransition);
    s.DefaultAnimationDuration = Truncated(edAnimation);
    if (SameTempFolder(edFilePath->text(), s.TempStorageFolder.text()))
        return;
    TRMessageBox(this).Execute("Please restart the application.", TRMessageBox::MB_OK,
                               TRMessageBox::MB_ICONWARNING);
    s.TempStorageFolder.setText(edFilePath->text().left(255));
}

bool TPreferencesForm::Execute() {
    Load();
    Tag = 0;
    exec();
    if (Tag != 1)
        return false;
    Store();
    return true;
}

void TPreferencesForm::LoudnessClick() {
    const bool on = edLoudness->isChecked();
    edLoudnessV->Caption()->setEnabled(on);
    edLoudnessV->TrackBar()->setEnabled(on);
    edLoudnessV->Edit()->setEnabled(on);
}

void TPreferencesForm::FolderClick() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Select temporary storage folder", QString());
    if (!folder.isEmpty())
        edFilePath->setText(folder);
}

void TPreferencesForm::ResetClick() {
    edFilePath->setText(DefaultTempFolder());
}

bool TPreferencesForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edFilePath) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            platform::system::openPath(edFilePath->text());
            return true;
        case QEvent::Enter:
            edFilePath->setStyleSheet(
                QString("color: #%1;").arg(TRStyleColors::Highlight, 6, 16, QChar('0')));
            break;
        case QEvent::Leave:
            edFilePath->setStyleSheet(QString());
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
