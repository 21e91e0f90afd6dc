// The names of the project description, pinned by a file written by hand from its layout
// (golden/project_names.xml): the writer uses exactly those names, the reader takes its values
// from them, and one project saves to the same bytes every time (across runs: SaveRecoveryTest).

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/URTempFolders.h"
#include "core/URXmlValues.h"
#include "objects/URObjectsRegistry.h"
#include "tests/support/SourcePaths.h"

#include <QDir>
#include <QFile>
#include <set>

namespace {

QString GoldenFile() {
    return QString::fromUtf8(kTestsSourceDir) + "/core/golden/project_names.xml";
}

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "Project/Objects/Object@Name" for every attribute, and the bare path for every element; the
// groups' "Property" elements are left out (their names belong to the groups).
void CollectNames(const QDomElement& element, const QString& parent, std::set<QString>& names) {
    if (element.tagName() == QStringLiteral("Property"))
        return;
    const QString path = parent.isEmpty() ? element.tagName() : parent + '/' + element.tagName();
    names.insert(path);
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i)
        names.insert(path + '@' + attributes.item(i).nodeName());
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        CollectNames(child, path, names);
}

std::set<QString> Names(const QByteArray& xml) {
    QDomDocument document;
    EXPECT_TRUE(document.setContent(xml));
    std::set<QString> names;
    CollectNames(document.documentElement(), QString(), names);
    return names;
}

class ProjectXmlNames : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        TempRoot = path("tmp/QMBTemp/");
        ResetTempFolderCounter();
        RegisterEngineKinds();
    }
    void TearDown() override { TempRoot.clear(); }

    // Opens the golden file as the description of a recovery folder.
    QString OpenGolden(TRProject& project) {
        const QString folder = path("golden/");
        QDir().mkpath(folder);
        EXPECT_TRUE(QFile::copy(GoldenFile(), folder + "project.xml"));
        return project.OpenFromFile(folder);
    }
};

TEST_F(ProjectXmlNames, WriterUsesExactlyTheNamesOfTheLayout) {
    TRProject project;
    ASSERT_EQ(OpenGolden(project), "");
    std::set<QString> written = Names(XmlDocumentBytes(project.ProjectDocument(',')));
    const std::set<QString> golden = Names(ReadAll(GoldenFile()));
    EXPECT_EQ(written, golden);
}

TEST_F(ProjectXmlNames, ReaderTakesEveryValueUnderItsName) {
    TRProject project;
    ASSERT_EQ(OpenGolden(project), "");
    EXPECT_EQ(project.ObjectName(), "Golden_r");
    EXPECT_EQ(project.TimeEnd(), 9000);
    const TRProjectExportOptions& e = project.ExportOptions();
    EXPECT_EQ(e.Format, 3);
    EXPECT_EQ(e.FileName, "clip");
    EXPECT_EQ(e.FilePath, "/videos");
    EXPECT_TRUE(e.Html);
    EXPECT_FALSE(e.Html_Controls);
    EXPECT_EQ(e.Html_AtStart_Action, 2);
    EXPECT_EQ(e.Html_AtEnd_Action, 3);
    EXPECT_EQ(e.Html_AtEnd_URL, "https://example.org");
    EXPECT_EQ(e.ExportMode, 1);
    EXPECT_EQ(e.MediaSpeed, 1500);
    EXPECT_EQ(e.ReversedSpeed, 500);
    EXPECT_TRUE(e.Selection);
    EXPECT_EQ(e.SelTimeStart, 1000);
    EXPECT_EQ(e.SelTimeEnd, 4000);
    EXPECT_EQ(e.FramePS, 25);
    EXPECT_EQ(e.FramePSGIF, 12);
    EXPECT_EQ(e.FrameMode, 1);
    EXPECT_EQ(e.Quality, 70);
    EXPECT_EQ(e.VideoSize, 2);
    EXPECT_EQ(e.Width, 640);
    EXPECT_EQ(e.Height, 360);
    EXPECT_FALSE(e.AspectRatio);
    EXPECT_EQ(e.Scale, 50);
    EXPECT_EQ(e.Color, 255u);
    EXPECT_EQ(e.GifOptimize, 2);
    EXPECT_EQ(e.GifColor, 65280u);
    EXPECT_EQ(e.WebPOptimize, 0);
    EXPECT_FALSE(e.Audio);
    EXPECT_EQ(e.AudioBitrate, 2);
    EXPECT_EQ(e.AudioBitrateMP3, 5);
    EXPECT_FALSE(e.AudioPitch);
    EXPECT_FALSE(e.AudioPitchReversed);
    EXPECT_TRUE(e.AudioNormalizeLoudness);
    EXPECT_FLOAT_EQ(e.AudioLoudness, -16.5f);
    EXPECT_FLOAT_EQ(e.AudioVolume, 0.75f);
    const TRProjectInterfaceOptions& i = project.InterfaceOptions;
    EXPECT_EQ(i.DateCreated, 45000);
    EXPECT_FLOAT_EQ(i.DesignScale, 0.5f);
    EXPECT_EQ(i.Timeline_PlayHead, 1500);
    EXPECT_EQ(i.Timeline_StartTime, 500);
    EXPECT_EQ(i.Timeline_PixelPS, 60);
    EXPECT_EQ(i.Timeline_TrackHeight, 40);

    ASSERT_EQ(project.Objects().size(), 1u);
    const TRObject& box = *project.Objects()[0];
    EXPECT_EQ(box.ObjectType(), otShape);
    EXPECT_EQ(box.ObjectId(), 7);
    EXPECT_EQ(box.ObjectName(), "Box");
    EXPECT_TRUE(box.Marker());
    EXPECT_FALSE(box.Visibility());
    EXPECT_EQ(box.TimeStart(), 2000);
    EXPECT_EQ(box.TimeEnd(), 5000);
    EXPECT_EQ(box.Track(), 3);
    EXPECT_EQ(box.MediaOffset(), 250);
    EXPECT_EQ(box.MediaStart(), 100);
    EXPECT_EQ(box.MediaEnd(), 900);
    ASSERT_EQ(box.Transformations().size(), 2u);
    EXPECT_EQ(box.Transformations()[1].Time, 1200);
    EXPECT_EQ(box.Transformations()[1].AnimateDuration, 300);
    EXPECT_EQ(box.Transformations()[1].Ease, 4);
}

TEST_F(ProjectXmlNames, OneProjectAlwaysSavesToTheSameBytes) {
    TRProject project;
    savetest::BuildSampleProject(project);
    const QString target = path("home/Same.qmb");
    ASSERT_EQ(project.SaveToFile(target), "");
    const QByteArray first = ReadAll(project.TempFolder + "project.xml");
    ASSERT_EQ(project.SaveToFile(target), "");
    EXPECT_EQ(ReadAll(project.TempFolder + "project.xml"), first);
    EXPECT_TRUE(first.contains("<Export AspectRatio=")) << "attributes in name order";
}

} // namespace
