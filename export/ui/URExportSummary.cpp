#include "export/ui/URExportSummary.h"

#include "core/URDriveUpload.h"
#include "core/URFormHooks.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "export/ui/URCloudFormKit.h"
#include "platform/system/Shell.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

TRExportSummary* ExportSummary = nullptr;

namespace {

bool IsPage(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QStringLiteral("html"), Qt::CaseInsensitive) == 0;
}

QString VideoOfPage(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.path() + '/' + info.completeBaseName() + QStringLiteral(".mp4");
}

QString SizeLine(const QString& fileName) {
    return QFileInfo(fileName).fileName() + QStringLiteral(" ( Size: ") +
           FormatFileSize(FileSizeOf(fileName)) + QStringLiteral(" )\r");
}

bool ExistingFile(const QString& fileName) {
    return !fileName.isEmpty() && QFileInfo(fileName).isFile();
}

} // namespace

TRExportSummary::TRExportSummary(QWidget* parent)
    : QDialog(parent), lbtext(new QLabel(this)),
      btnView(CloudButton(QStringLiteral("View"), QStringLiteral("btnView"), this)),
      btnOpen(CloudButton(QStringLiteral("Open Folder"), QStringLiteral("btnOpen"), this)),
      btnUpload(CloudButton(QStringLiteral("Upload"), QStringLiteral("btnUpload"), this)),
      btnClose(CloudButton(QStringLiteral("Close"), QStringLiteral("btnClose"), this)) {
    setObjectName("TRExportSummary");
    setWindowTitle(QStringLiteral("Tavrin"));
    setStyleSheet(CloudFormStyleSheet());
    setFixedSize(Scaled(500, this), Scaled(170, this));
    if (!ExportSummary)
        ExportSummary = this;

    auto* icon = new TRGlyphImage(GlyphCheck, this);
    icon->setObjectName("icon");
    icon->SetGlyphColor(QColor(0x00, 0xA1, 0xA1));
    icon->setFixedSize(Scaled(48, this), Scaled(48, this));
    lbtext->setObjectName("lbtext");
    lbtext->setFixedSize(Scaled(400, this), Scaled(100, this));
    lbtext->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbtext->setTextInteractionFlags(Qt::TextSelectableByMouse);
    btnUpload->setToolTip(QStringLiteral("Upload to Google Drive"));
    btnClose->setDefault(true);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(Scaled(16, this), Scaled(12, this), Scaled(16, this), 0);
    top->setSpacing(Scaled(16, this));
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(lbtext, 1, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top, 1);
    layout->addWidget(CloudBottomBar(this, {btnView, btnOpen, btnUpload}, {btnClose}));

    connect(btnView, &QPushButton::clicked, this, &TRExportSummary::ViewClick);
    connect(btnOpen, &QPushButton::clicked, this, &TRExportSummary::OpenClick);
    connect(btnUpload, &QPushButton::clicked, this, &TRExportSummary::UploadClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

TRExportSummary::~TRExportSummary() {
    if (ExportSummary == this)
        ExportSummary = nullptr;
}

void TRExportSummary::Prepare(const QString& fileName) {
    const QFileInfo info(fileName);
    const bool page = IsPage(fileName);
    FText = QStringLiteral("Folder: \r") + info.path() + QStringLiteral("/\r\r") +
            (page ? QStringLiteral("Files:") : QStringLiteral("File:")) + QStringLiteral("\r") +
            SizeLine(fileName);
    if (page)
        FText += SizeLine(VideoOfPage(fileName));
    lbtext->setText(WithLineBreaks(FText));
    FFileName = fileName;
    const bool exists = ExistingFile(fileName);
    btnView->setVisible(exists);
    btnOpen->setVisible(exists);
    // The cloud drive's wizard comes with the cloud forms; without it there is no upload.
    btnUpload->setVisible(InstalledDriveUploader() != nullptr);
    SaveLastStep(SettingsRecord, CurrentProject(),
                 QStringLiteral("ExportSummary_") +
                     (info.suffix().isEmpty() ? QString() : '.' + info.suffix()));
}

int TRExportSummary::Execute(const QString& fileName) {
    Prepare(fileName);
    CenterOnMainForm(this);
    raise();
    activateWindow();
    exec();
    return Tag;
}

QString TRExportSummary::UploadFile() const {
    return IsPage(FFileName) ? VideoOfPage(FFileName) : FFileName;
}

// Only an existing local file is opened or shown, never an address or a missing name.
void TRExportSummary::ViewClick() {
    if (ExistingFile(FFileName))
        platform::system::openPath(FFileName);
}

void TRExportSummary::OpenClick() {
    if (ExistingFile(FFileName))
        platform::system::showInFolder(FFileName);
}

void TRExportSummary::UploadClick() {
    const QString file = UploadFile();
    const TRDriveUploader upload = InstalledDriveUploader();
    if (!upload || !ExistingFile(file))
        return;
    try {
        upload(file);
    } catch (const std::exception&) {
        // The upload reports its own failures; nothing more to do here.
    }
}
