// Saving and opening a project: the description "project.xml" with its export and editor
// settings, the package built from the project's folder, and the recovery copy.

#include "core/UPackFiles.h"
#include "core/URFormHooks.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URScenePaint.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "core/URXmlStream.h"
#include "core/URXmlValues.h"
#include "platform/system/DiskSpace.h"
#include "platform/system/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QScreen>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

std::function<bool(TRProject& project, const QString& file)> ProjectThumbnailWriter;
std::function<bool(TRProject& project, const TRRecordedTracks& tracks, std::int32_t& width,
                   std::int32_t& height)>
    RecordedTracksLoader;

namespace {

const QString DescriptionFile = QStringLiteral("project.xml");
const QString ThumbnailFile = QStringLiteral("project_thumbnail.jpg");
const QString PackageFile = QStringLiteral("project.qmb");
const QString NotValidProject = QStringLiteral("The file is not a valid Tavrin project.");
const QString CannotPack = QStringLiteral("Cannot pack files.");
const QString CannotCopy = QStringLiteral("Cannot copy file.");
const QString XmlError = QStringLiteral("XML error.");

// The editor writes descriptions a few elements deep; walking a damaged or hostile one nested a
// million deep, or of gigabytes, would take minutes.
constexpr qint64 MaxDescriptionBytes = qint64(1) << 30;
constexpr int MaxDescriptionDepth = 64;

void ReportProgress(int percent) {
    if (TRProgressReporter* progress = InstalledProgress())
        progress->SetProgress(percent);
}

void InitSteps(const QString& step1, const QString& step2, const QString& step3) {
    if (TRProgressReporter* progress = InstalledProgress())
        progress->InitSteps(step1, step2, step3);
}

void StartStep(int step) {
    if (TRProgressReporter* progress = InstalledProgress())
        progress->StartStep(step);
}

void EndStep(int step) {
    if (TRProgressReporter* progress = InstalledProgress())
        progress->EndStep(step);
}

bool Canceled() {
    const TRProgressReporter* progress = InstalledProgress();
    return progress && progress->IsCanceled();
}

void Breadcrumb(const TRProject* project, const QString& step) {
    SaveLastStep(SettingsRecord, project, step);
}

void SendStatusInBackground(const QString& status) {
    QString reply;
    SendServerMessage(reply, true, 0, status);
}

QString WithSlash(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

// The name with its last extension replaced (or appended when it has none).
QString ChangeFileExt(const QString& name, const QString& extension) {
    const qsizetype dot = name.lastIndexOf('.');
    return (dot < 0 ? name : name.left(dot)) + extension;
}

// The program version with the first "(Build " and the first ")" removed, blanks as "_".
QString VersionAttribute() {
    QString text = GetVersionString();
    const qsizetype build = text.indexOf(QStringLiteral("(Build "));
    if (build >= 0)
        text.remove(build, 7);
    const qsizetype close = text.indexOf(QChar(')'));
    if (close >= 0)
        text.remove(close, 1);
    return text.replace(QChar(' '), QChar('_'));
}

// Kernel major and minor version, server edition, screen width, pixels per inch, monitors.
QString OsAttribute() {
    const auto os = platform::system::osVersion();
    // A tool without a window system runs a plain core application: no screens to ask.
    const auto* gui = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = gui ? QGuiApplication::primaryScreen() : nullptr;
    const int width = screen ? screen->size().width() : 0;
    const int dpi = screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
    const auto monitors = gui ? QGuiApplication::screens().size() : 0;
    return QStringList{QString::number(os.major),
                       QString::number(os.minor),
                       platform::system::isServerEdition() ? "1" : "0",
                       QString::number(width),
                       QString::number(dpi),
                       QString::number(monitors)}
        .join('_');
}

void VisitExportFields(TRPropFields& f, TRProjectExportOptions& o) {
    f.Int("Format", o.Format);
    f.Text("FileName", o.FileName);
    f.Text("FilePath", o.FilePath);
    f.Bool("Html", o.Html);
    f.Bool("Html_Controls", o.Html_Controls);
    f.Int("Html_AtStart_Action", o.Html_AtStart_Action);
    f.Int("Html_AtEnd_Action", o.Html_AtEnd_Action);
    f.Text("Html_AtEnd_URL", o.Html_AtEnd_URL);
    f.Int("Mode", o.ExportMode);
    f.Int("MediaSpeed", o.MediaSpeed);
    f.Int("ReversedSpeed", o.ReversedSpeed);
    f.Bool("Selection", o.Selection);
    f.Int("SelStart", o.SelTimeStart);
    f.Int("SelEnd", o.SelTimeEnd);
    f.Int("FramePS", o.FramePS);
    f.Int("FramePSGIF", o.FramePSGIF);
    f.Int("FrameMode", o.FrameMode);
    f.Int("Quality", o.Quality);
    f.Int("VideoSize", o.VideoSize);
    f.Int("Width", o.Width);
    f.Int("Height", o.Height);
    f.Bool("AspectRatio", o.AspectRatio);
    f.Int("Scale", o.Scale);
    f.Color("Color", o.Color);
    f.Int("GifOptimize", o.GifOptimize);
    f.Color("GifColor", o.GifColor);
    f.Int("WebPOptimize", o.WebPOptimize);
    f.Bool("Audio", o.Audio);
    f.Int("AudioBitrate", o.AudioBitrate);
    f.Int("AudioBitrateMP3", o.AudioBitrateMP3);
    f.Bool("AudioPitch", o.AudioPitch);
    f.Bool("AudioPitchReversed", o.AudioPitchReversed);
    f.Bool("AudioNormalizeLoudness", o.AudioNormalizeLoudness);
    f.Float("AudioLoudness", o.AudioLoudness);
    f.Float("AudioVolume", o.AudioVolume);
}

void VisitInterfaceFields(TRPropFields& f, TRProjectInterfaceOptions& o) {
    f.Int("DesignColor", o.DateCreated);
    f.Float("DesignScale", o.DesignScale);
    f.Int("Timeline_PlayHead", o.Timeline_PlayHead);
    f.Int("Timeline_StartTime", o.Timeline_StartTime);
    f.Int("Timeline_PixelPS", o.Timeline_PixelPS);
    f.Int("Timeline_TrackHeight", o.Timeline_TrackHeight);
}

// Export settings no export can use are damage like a bad speed: the default serves instead.
void ValidateExportOptions(TRProjectExportOptions& o) {
    const TRProjectExportOptions defaults;
    const auto keepIn = [](std::int32_t& value, std::int32_t low, std::int32_t high,
                           std::int32_t fallback) {
        if (value < low || value > high)
            value = fallback;
    };
    keepIn(o.FramePS, 1, 120, defaults.FramePS);
    keepIn(o.FramePSGIF, 1, 60, defaults.FramePSGIF);
    keepIn(o.Quality, 1, 100, defaults.Quality);
    keepIn(o.Width, 0, 16384, defaults.Width);
    keepIn(o.Height, 0, 16384, defaults.Height);
    keepIn(o.SelTimeStart, 0, std::numeric_limits<std::int32_t>::max(), 0);
    keepIn(o.SelTimeEnd, o.SelTimeStart, std::numeric_limits<std::int32_t>::max(), o.SelTimeStart);
    if (!(o.AudioVolume >= 0 && o.AudioVolume <= 10))
        o.AudioVolume = defaults.AudioVolume;
}

// Without the painting, the thumbnail is a small picture of the project's background colour:
// the package always starts with a valid picture.
bool WriteThumbnail(TRProject& project, const QString& file) {
    QFile::remove(file);
    if (ProjectThumbnailWriter)
        return ProjectThumbnailWriter(project, file) && QFileInfo::exists(file);
    if (SceneContext())
        return project.ExportFrame(file, true).isEmpty() && QFileInfo::exists(file);
    // Without graphics devices (a headless tool) the thumbnail is the background colour.
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(project.m_Brush.Color);
    return image.save(file, "JPG");
}

QString NotEnoughSpace(const QString& path, std::int64_t bytes) {
    return QStringLiteral("There is not enough space available on the disk %1.\r"
                          "Please free up %2 KB of disk space.\r")
        .arg(path)
        .arg(bytes / 1024);
}

// The package is written next to the description and then copied to the target: on one file
// system that needs room for both.
QString CheckDiskSpace(const QString& tempFolder, const QString& path, std::int64_t total) {
    const std::int64_t factor = platform::system::sameFileSystem(tempFolder, path) ? 2 : 1;
    const std::int64_t tempFree = platform::system::freeDiskSpace(tempFolder);
    if (tempFree >= 0 && tempFree < total * factor)
        return NotEnoughSpace(tempFolder, total * factor);
    const std::int64_t pathFree = platform::system::freeDiskSpace(path);
    if (pathFree >= 0 && pathFree < total)
        return NotEnoughSpace(path, total);
    return {};
}

// Copies in chunks with the progress from 60 to 100 into a new file beside the target, which
// replaces the target only once it is whole and on the disk: a crash or a cancel midway leaves
// the previous package as it was. False on a failure or a cancel.
bool CopyInChunks(const QString& source, const QString& target) {
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const qint64 size = std::max<qint64>(in.size(), 1);
    QByteArray buffer(TPackFiles::BufferSize, Qt::Uninitialized);
    qint64 copied = 0;
    for (int chunk = 1;; ++chunk) {
        const qint64 read = in.read(buffer.data(), buffer.size());
        if (read < 0 || out.write(buffer.constData(), read) != read)
            return false;
        if (read == 0)
            break;
        copied += read;
        if (chunk % TPackFiles::ChunksPerCheck == 0) {
            if (Canceled())
                return false;
            ReportProgress(60 + int(std::lround(double(copied) * 40 / double(size))));
        }
    }
    // A cancel at any point of the copy keeps the previous package.
    return copied == in.size() && !Canceled() && out.commit();
}

} // namespace

// ---- writing ----

// The project's own object element and its export and interface options.
void TRProject::SaveOwnPartsToXML(QDomNode parent) const {
    TRObject::SaveToXML(parent);
    TRProjectExportOptions exportOptions = FExportOptions;
    WriteXmlFields(XmlAppendChild(parent, QStringLiteral("Export")),
                   [&](TRPropFields& f) { VisitExportFields(f, exportOptions); });
    TRProjectInterfaceOptions interfaceOptions = InterfaceOptions;
    WriteXmlFields(XmlAppendChild(parent, QStringLiteral("Interface")),
                   [&](TRPropFields& f) { VisitInterfaceFields(f, interfaceOptions); });
}

QDomElement TRProject::SaveToXML(QDomNode parent) const {
    SaveOwnPartsToXML(parent);
    Breadcrumb(this, QStringLiteral("SaveXML_Objects"));
    const QDomElement objects = XmlAppendChild(parent, QStringLiteral("Objects"));
    for (const auto& object : FObjects)
        object->SaveToXML(objects);
    Breadcrumb(this, QStringLiteral("SaveXML_End"));
    return parent.toElement();
}

namespace {

// A document of the root element alone: what values written under it look up (the decimal
// separator) is found there.
QDomDocument ProjectRoot(QChar decimal) {
    QDomDocument document = XmlNewDocument(QStringLiteral("Project"), decimal);
    QDomElement root = document.documentElement();
    XmlSetText(root, QStringLiteral("Version"), VersionAttribute());
    XmlSetText(root, QStringLiteral("OS"), OsAttribute());
    return document;
}

} // namespace

QDomDocument TRProject::ProjectDocument(QChar decimal) const {
    QDomDocument document = ProjectRoot(decimal);
    SaveToXML(document.documentElement());
    return document;
}

// Written object by object and keyframe by keyframe, so that a project of a hundred thousand
// objects is never held as one document; the bytes are those of ProjectDocument written whole.
QByteArray TRProject::DescriptionBytes() const {
    const QChar decimal = SystemDecimalSeparator();
    const QDomDocument head = ProjectRoot(decimal);
    const QDomElement root = head.documentElement();
    SaveOwnPartsToXML(root);
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    XmlStartWriting(writer);
    XmlWriteStartElement(writer, root);
    for (QDomNode part = root.firstChild(); !part.isNull(); part = part.nextSibling())
        XmlWriteElement(writer, part);
    Breadcrumb(this, QStringLiteral("SaveXML_Objects"));
    writer.writeStartElement(QStringLiteral("Objects"));
    for (const auto& object : FObjects)
        object->WriteXml(writer, decimal);
    Breadcrumb(this, QStringLiteral("SaveXML_End"));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return bytes;
}

// Replaces the description only with a whole new one.
QString TRProject::WriteDescription(const QByteArray& bytes) const {
    QSaveFile file(TempFolder + DescriptionFile);
    if (TempFolder.isEmpty() || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size())
        return XmlError;
    return file.commit() ? QString() : XmlError;
}

bool TRProject::AutoSave() const {
    return !TempFolder.isEmpty() && WriteDescription(DescriptionBytes()).isEmpty();
}

void TRProject::TakeTargetName(const QString& fileName) {
    const QFileInfo target(fileName);
    const QString current = QFileInfo(FileName).completeBaseName();
    const bool keepName =
        !current.trimmed().isEmpty() && current.compare(FObjectName, Qt::CaseInsensitive) != 0;
    if (!keepName && target.completeBaseName().compare(FObjectName, Qt::CaseInsensitive) != 0)
        FObjectName = target.completeBaseName();
    Path = WithSlash(target.absolutePath());
    FileName = target.fileName();
}

QString TRProject::PackProject(const QString& packageFile) {
    Breadcrumb(this, QStringLiteral("Save_Pack_Start"));
    const QString thumbnail = TempFolder + ThumbnailFile;
    if (!WriteThumbnail(*this, thumbnail))
        return CannotPack;
    TPackFiles package;
    package.SetTotalTimeMs(FTimeEnd);
    Breadcrumb(this, QStringLiteral("Save_Pack_Add"));
    package.AddFile(thumbnail);
    package.AddFile(TempFolder + DescriptionFile);
    QStringList missing;
    for (const auto& object : FObjects) {
        missing += object->MissingMediaFiles(TempFolder);
        for (const QString& name : {object->MediaName(), object->CursorName(), object->AudioName()})
            if (!name.isEmpty())
                package.AddFile(TempFolder + name);
        for (const QString& name : {object->MediaName(), object->AudioName()})
            if (!name.isEmpty()) {
                package.AddFile(TempFolder + ChangeFileExt(name, QStringLiteral(".waveform")));
                package.AddFile(TempFolder + ChangeFileExt(name, QStringLiteral(".loudness")));
            }
    }
    // What exists is saved; the caller tells the user which media could not go with it.
    missing.removeDuplicates();
    if (!missing.isEmpty())
        SaveWarning = QStringLiteral("Missing media files: ") + missing.join(", ");
    package.ComputeFileSize();
    const QString space = CheckDiskSpace(TempFolder, Path, package.FileTotalSize);
    if (!space.isEmpty())
        return space;
    Breadcrumb(this, QStringLiteral("Save_Pack_Pack"));
    QString result;
    if (!package.PackTo(packageFile) && !package.Canceled())
        result = package.LastError().isEmpty() ? CannotPack : package.LastError();
    Breadcrumb(this, "Save_Pack_End_" + result);
    return result;
}

QString TRProject::CopyPackage(const QString& packageFile) {
    ReportProgress(60);
    EndStep(2);
    StartStep(3);
    const bool copied = CopyInChunks(packageFile, Path + FileName);
    return copied || Canceled() ? QString() : CannotCopy;
}

// A project whose folder could not be made with it tries again before anything is written or
// unpacked; the error says why there is still none.
QString TRProject::EnsureTempFolder() {
    if (TempFolder.isEmpty())
        TempFolder = NewProjectTempFolder(&FTempFolderError);
    return TempFolder.isEmpty() ? FTempFolderError : QString();
}

QString TRProject::SaveToFile(const QString& fileName) {
    Breadcrumb(this, QStringLiteral("Save_Start"));
    ReportProgress(0);
    InitSteps(QStringLiteral("Saving objects..."), QStringLiteral("Saving media files..."),
              QStringLiteral("Saving project..."));
    StartStep(1);
    SaveWarning.clear();
    if (const QString error = EnsureTempFolder(); !error.isEmpty())
        return error;
    if (!fileName.trimmed().isEmpty())
        TakeTargetName(fileName);
    if (QFileInfo(FileName).completeBaseName().trimmed().isEmpty())
        return QStringLiteral("Invalid file name.");
    if (!QFileInfo(Path).isDir())
        return QStringLiteral("Invalid file path.");
    Breadcrumb(this, QStringLiteral("Save_XML_Start"));
    Breadcrumb(this, QStringLiteral("Save_XML_Save"));
    const QByteArray description = DescriptionBytes();
    Breadcrumb(this, QStringLiteral("Save_XML_SaveToFile"));
    QString result = WriteDescription(description);
    // A description that is not there after writing cannot be packed: the save failed.
    if (result.isEmpty() && !QFileInfo::exists(TempFolder + DescriptionFile))
        result = XmlError;
    if (!result.isEmpty()) {
        SendStatusInBackground(QStringLiteral("Save_XML_Error"));
        return result;
    }
    Breadcrumb(this, QStringLiteral("Save_XML_End"));
    ReportProgress(20);
    EndStep(1);
    StartStep(2);
    result = PackProject(TempFolder + PackageFile);
    if (result.isEmpty() && !Canceled()) {
        result = CopyPackage(TempFolder + PackageFile);
        Breadcrumb(this, QStringLiteral("Save_EndCopy"));
        if (result.isEmpty() && !Canceled()) {
            History_Init();
            SetModified(false);
            ReportProgress(100);
            EndStep(3);
        }
    }
    Breadcrumb(this, QStringLiteral("Save_End"));
    return result;
}

// ---- reading ----

void TRProject::ReadExportOptions(const QDomElement& element) {
    float videoSpeed = 0;
    if (XmlReadFloat(element, QStringLiteral("VideoSpeed"), videoSpeed))
        FExportOptions.MediaSpeed =
            static_cast<std::int32_t>(std::lround(std::clamp(double(videoSpeed) * 10, -1e9, 1e9)));
    ReadXmlFields(element, [&](TRPropFields& f) { VisitExportFields(f, FExportOptions); });
    FExportOptions.MediaSpeed = ClampMediaSpeed(FExportOptions.MediaSpeed);
    FExportOptions.ReversedSpeed = ClampMediaSpeed(FExportOptions.ReversedSpeed);
    ValidateExportOptions(FExportOptions);
}

void TRProject::ReadInterfaceOptions(const QDomElement& element) {
    TRProjectInterfaceOptions& o = InterfaceOptions;
    if (!element.hasAttribute(QStringLiteral("DesignColor")))
        o.DateCreated = TodayDayNumber();
    ReadXmlFields(element, [&](TRPropFields& f) { VisitInterfaceFields(f, o); });
    std::int32_t perFrame = -1;
    if (!element.hasAttribute(QStringLiteral("Timeline_PixelPS")) &&
        XmlReadInt(element, QStringLiteral("Timeline_PixelPF"), perFrame)) {
        if (perFrame == 0)
            o.Timeline_PixelPS = 1;
        else if (perFrame >= 1 && perFrame <= 10)
            o.Timeline_PixelPS = perFrame * 30;
    }
    // Values no view can show are damage: the view's own defaults serve instead.
    const TRProjectInterfaceOptions defaults;
    if (!(o.DesignScale > 0 && o.DesignScale <= 100))
        o.DesignScale = defaults.DesignScale;
    if (o.Timeline_PixelPS < 1)
        o.Timeline_PixelPS = defaults.Timeline_PixelPS;
    if (o.Timeline_TrackHeight < 1)
        o.Timeline_TrackHeight = defaults.Timeline_TrackHeight;
    o.Timeline_PlayHead = std::max(o.Timeline_PlayHead, 0);
    o.Timeline_StartTime = std::max(o.Timeline_StartTime, 0);
}

void TRProject::ReadObjects(const TRObjectSource& objects) {
    FReadingIds.emplace();
    FReadingIds->fill(1);
    for (const auto& object : FObjects)
        NoteReadingId(*object);
    // Ends the reading mode however the read ends (a damaged element throws).
    const std::unique_ptr<TRProject, void (*)(TRProject*)> reading(
        this, [](TRProject* project) { project->FReadingIds.reset(); });
    for (std::int32_t i = 0;; ++i) {
        std::optional<std::unique_ptr<TRObject>> next = objects.Next();
        if (!next)
            break;
        if (std::unique_ptr<TRObject>& object = *next) {
            MissingMedia += object->MissingMediaFiles(TempFolder);
            if (!object->MediaOpened() && !object->MediaName().isEmpty())
                MissingMedia += object->MediaName();
            AddObject(std::move(object));
        }
        if (i % 10 == 0) {
            ReportProgress(80 + int(20 * objects.Done()));
            if (Canceled())
                break;
        }
    }
    MissingMedia.removeDuplicates();
}

std::unique_ptr<TRObject> TRProject::ReadObject(const QDomElement& element) {
    std::int32_t type = 0;
    XmlReadInt(element, QStringLiteral("Type"), type);
    std::unique_ptr<TRObject> object = CreateObjectOfType(this, type);
    if (object)
        object->OpenFromXML(element);
    return object;
}

// The keyframes are read one by one as the stream passes them: an object of twenty thousand
// keyframes is never held as one document. None when the element could not be walked.
std::optional<std::unique_ptr<TRObject>> TRProject::ReadStreamedObject(TRXmlElementStream& stream) {
    std::int32_t type = 0;
    TextToInt(stream.Attribute(QStringLiteral("Type")), type);
    std::unique_ptr<TRObject> object = CreateObjectOfType(this, type);
    if (!object)
        return object;
    object->BeginStreamedRead();
    const QDomDocument document =
        stream.Take(QStringLiteral("Transformations"),
                    [&](const QDomElement& keyframe) { object->ReadKeyframe(keyframe); });
    const QDomElement element = document.documentElement().firstChildElement();
    if (element.isNull())
        return std::nullopt;
    object->OpenFromXML(element);
    return object;
}

void TRProject::ReadParts(const QDomElement& object, const QDomElement& exportOptions,
                          const QDomElement& interface, const TRObjectSource& objects) {
    TRObject::OpenFromXML(object);
    ReadExportOptions(exportOptions);
    ReadInterfaceOptions(interface);
    ReadObjects(objects);
    UpdateTimeEnd();
}

void TRProject::OpenFromXML(const QDomElement& element) {
    const QDomElement objects = element.firstChildElement(QStringLiteral("Objects"));
    std::int32_t count = 0;
    for (QDomElement child = objects.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        ++count;
    QDomElement next = objects.firstChildElement();
    std::int32_t read = 0;
    const TRObjectSource source{[&]() -> std::optional<std::unique_ptr<TRObject>> {
                                    if (next.isNull())
                                        return std::nullopt;
                                    const QDomElement current = next;
                                    next = next.nextSiblingElement();
                                    ++read;
                                    return ReadObject(current);
                                },
                                [&] { return count > 0 ? double(read) / count : 1.0; }};
    ReadParts(element.firstChildElement(QStringLiteral("Object")),
              element.firstChildElement(QStringLiteral("Export")),
              element.firstChildElement(QStringLiteral("Interface")), source);
}

// The project's own parts are small and taken whole; the objects, which can be a hundred
// thousand, one at a time, so that no document of the whole description is ever built.
void TRProject::ReadStream(TRXmlElementStream& stream, qint64 size) {
    std::map<QString, QDomDocument> parts;
    bool atObjects = false;
    while (!atObjects && stream.NextChild()) {
        atObjects = stream.Name() == QStringLiteral("Objects");
        if (!atObjects && !parts.contains(stream.Name()))
            parts[stream.Name()] = stream.Take();
    }
    if (atObjects)
        stream.Enter();
    const TRObjectSource source{
        [&]() -> std::optional<std::unique_ptr<TRObject>> {
            if (!atObjects || !stream.NextChild())
                return std::nullopt;
            return ReadStreamedObject(stream);
        },
        [&] { return size > 0 ? std::min(1.0, double(stream.Offset()) / double(size)) : 1.0; }};
    const auto part = [&](const char* name) {
        return parts[QString::fromLatin1(name)].documentElement().firstChildElement();
    };
    ReadParts(part("Object"), part("Export"), part("Interface"), source);
}

TRRecordedTracks TRProject::RecordedTracks() const {
    const auto has = [this](const char* name) {
        return QFileInfo::exists(TempFolder + QLatin1String(name));
    };
    return {has("screen.mp4") || has("screen.tvf"), has("camera.mp4") || has("camera.tvf"),
            has("mic.m4a"), has("sound.m4a")};
}

QString TRProject::LoadRecordedTracks() {
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!RecordedTracksLoader || !RecordedTracksLoader(*this, RecordedTracks(), width, height) ||
        width == 0 || height == 0)
        return QStringLiteral("Recovering error!");
    SetProjectSize(width, height);
    SetProjectOriginalSize(width, height);
    ShrinkTimeEnd();
    return {};
}

QString TRProject::ReadDescription() {
    QFile file(TempFolder + DescriptionFile);
    if (!file.open(QIODevice::ReadOnly))
        return NotValidProject;
    if (file.size() > MaxDescriptionBytes)
        return NotValidProject + "\r" + QStringLiteral("The description is too large.");
    TRXmlElementStream stream(file, MaxDescriptionDepth);
    if (!stream.ReadRoot() || stream.Name() != QStringLiteral("Project"))
        return NotValidProject;
    try {
        ReadStream(stream, file.size());
    } catch (const TRDamagedProject& damage) {
        return NotValidProject + "\r" + QString::fromStdString(damage.what());
    }
    // Damage is found while reading, not by a pass of its own: what was read of a damaged
    // description is refused with it.
    if (!stream.Finish())
        return stream.TooDeep() ? NotValidProject + "\r" +
                                      QStringLiteral("The description is nested too deeply.")
                                : NotValidProject;
    if (RecordedTracksLoader) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        RecordedTracksLoader(*this, RecordedTracks(), width, height);
    }
    return {};
}

QString TRProject::OpenFromFile(const QString& fileName) {
    ReportProgress(0);
    const QFileInfo source(QDir::cleanPath(fileName));
    const bool recovery = source.isDir();
    InitSteps(recovery ? QStringLiteral("Recovering files...")
                       : QStringLiteral("Extracting files..."),
              QStringLiteral("Loading objects..."), QString());
    StartStep(1);
    QString result;
    if (recovery) {
        const QString folder = WithSlash(source.absoluteFilePath());
        if (!LockTempFolder(folder))
            return QStringLiteral("Recovering error!");
        if (!TempFolder.isEmpty() && TempFolder != folder)
            DeleteTempFolder(TempFolder);
        TempFolder = folder;
    } else if (result = EnsureTempFolder(); result.isEmpty()) {
        TPackFiles package;
        if (!package.Extract(fileName, TempFolder) && !package.Canceled())
            result = package.LastError();
    }
    EndStep(1);
    if (result.isEmpty() && !Canceled()) {
        StartStep(2);
        Path = WithSlash(source.absolutePath());
        FileName = source.fileName();
        result = QFileInfo::exists(TempFolder + DescriptionFile) ? ReadDescription()
                                                                 : LoadRecordedTracks();
    }
    if (!Canceled()) {
        ReportProgress(100);
        EndStep(2);
        if (result.isEmpty())
            History_Init();
        SetModified(false);
        if (recovery) {
            FObjectName += QStringLiteral("_r");
            SetModified(true);
        }
    }
    // The project's folder is removed with the project: a recovery that did not load must not
    // take the crashed run's files with it.
    if (recovery && (!result.isEmpty() || Canceled())) {
        ReleaseTempFolder(TempFolder);
        TempFolder = NewProjectTempFolder(&FTempFolderError);
    }
    return result;
}
