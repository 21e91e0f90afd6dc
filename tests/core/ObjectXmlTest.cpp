// The object element and the project description read from damaged text: a clear error or sane
// values, never a crash. Also the properties clipboard.

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/URPropProjectSize.h"
#include "core/URTempFolders.h"
#include "core/URXmlValues.h"
#include "graphics/URPropShadow.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <random>

namespace {

class ObjectXmlTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        TempRoot = path("tmp/QMBTemp/");
        RegisterEngineKinds();
    }
    void TearDown() override { TempRoot.clear(); }

    // Opens the text as the description of a recovery folder.
    QString Open(const QByteArray& xml, std::unique_ptr<TRProject>& project) {
        const QString folder = path(QStringLiteral("case%1/").arg(++cases_));
        QDir().mkpath(folder);
        QFile file(folder + "project.xml");
        file.open(QIODevice::WriteOnly);
        file.write(xml);
        file.close();
        project = std::make_unique<TRProject>();
        return project->OpenFromFile(folder);
    }

    int cases_ = 0;
};

struct DamagedCase {
    const char* name;
    const char* xml;
    const char* error; // empty: opens
    std::function<void(TRProject&)> check;
};

const QString NotValid = "The file is not a valid Tavrin project.";

TEST_F(ObjectXmlTest, DamagedDescriptionsOpenWithAnErrorOrSaneValues) {
    const auto oneObject = [](TRProject& p) { ASSERT_EQ(p.Objects().size(), 1u); };
    const DamagedCase cases[] = {
        {"empty file", "", "The file is not a valid Tavrin project.", nullptr},
        {"cut short", "<Project><Objects><Object Type=\"2\">", "The file", nullptr},
        {"cut short after whole objects",
         "<Project><Objects><Object Type='2'/><Object Type='3'/></Objects>", "The file", nullptr},
        {"damage between whole objects",
         "<Project><Objects><Object Type='2'/><Object Type='3'></Objects></Project>", "The file",
         nullptr},
        {"damage after the objects",
         "<Project><Objects><Object Type='2'/></Objects><Export></Project>", "The file", nullptr},
        {"other root", "<Projects/>", "The file", nullptr},
        {"bare root", "<Project/>", "",
         [](TRProject& p) {
             EXPECT_TRUE(p.Objects().empty());
             EXPECT_EQ(p.InterfaceOptions.DateCreated, TodayDayNumber());
         }},
        {"objects without a usable type beside one with",
         "<Project><Objects><Object/><Object Type='x'/><Object Type='99'/><Object Type='1'/>"
         "<Object Type='2' Name='kept'/></Objects></Project>",
         "",
         [&](TRProject& p) {
             oneObject(p);
             EXPECT_EQ(p.Objects()[0]->ObjectName(), "kept");
         }},
        {"object without anything", "<Project><Objects><Object Type='2'/></Objects></Project>", "",
         [&](TRProject& p) {
             oneObject(p);
             const TRObject& o = *p.Objects()[0];
             ASSERT_EQ(o.Transformations().size(), 1u);
             EXPECT_EQ(o.Transformations()[0].Time, 0);
             EXPECT_GT(o.TimeEnd(), o.TimeStart());
         }},
        {"keyframes between the object's other parts",
         "<Project><Objects><Object Type='2' Name='a'><Transitions/><Transformations>"
         "<Transformation Time='0'/><Transformation Time='400' Ease='2'/></Transformations>"
         "<Audio/></Object><Object Type='2' Name='b'/></Objects></Project>",
         "",
         [](TRProject& p) {
             ASSERT_EQ(p.Objects().size(), 2u);
             const TRObject& a = *p.Objects()[0];
             EXPECT_EQ(a.ObjectName(), "a");
             ASSERT_EQ(a.Transformations().size(), 2u);
             EXPECT_EQ(a.Transformations()[1].Time, 400);
             EXPECT_EQ(a.Transformations()[1].Ease, 2);
             EXPECT_EQ(p.Objects()[1]->ObjectName(), "b");
             EXPECT_EQ(p.Objects()[1]->Transformations().size(), 1u);
         }},
        {"negative and reversed times",
         "<Project><Objects><Object Type='2' TimeStart='-500' TimeEnd='-900' Track='-3' "
         "MediaStart='-5' MediaEnd='-9'><Transformations><Transformation Time='3000' "
         "Duration='-4'/><Transformation Time='700'/></Transformations></Object></Objects>"
         "</Project>",
         "",
         [&](TRProject& p) {
             oneObject(p);
             const TRObject& o = *p.Objects()[0];
             EXPECT_GE(o.TimeStart(), 0);
             EXPECT_GT(o.TimeEnd(), o.TimeStart());
             EXPECT_GE(o.Track(), 0);
             EXPECT_GE(o.MediaEnd(), o.MediaStart());
             ASSERT_EQ(o.Transformations().size(), 2u);
             EXPECT_EQ(o.Transformations()[0].Time, 0);
             EXPECT_EQ(o.Transformations()[1].Time, 3000);
             EXPECT_GE(o.Transformations()[1].AnimateDuration, 0);
         }},
        {"numbers out of range and of the wrong type",
         "<Project><Objects><Object Type='2' TimeStart='99999999999' Track='1.5' "
         "Marker='maybe' Name=''/></Objects></Project>",
         "",
         [&](TRProject& p) {
             oneObject(p);
             EXPECT_EQ(p.Objects()[0]->TimeStart(), 0);
             EXPECT_FALSE(p.Objects()[0]->Marker());
         }},
        {"media name with a folder",
         "<Project><Objects><Object Type='4' MediaName='../../etc/passwd'/></Objects></Project>",
         "The file", nullptr},
        {"absolute cursor name",
         "<Project><Objects><Object Type='5' CursorName='/tmp/c.tcf'/></Objects></Project>",
         "The file", nullptr},
        {"audio name with a backslash",
         "<Project><Objects><Object Type='4' AudioName='a\\b.m4a'/></Objects></Project>",
         "The file", nullptr},
        {"speeds and view values out of range",
         "<Project><Export MediaSpeed='5' ReversedSpeed='90000'/><Interface DesignScale='-4' "
         "Timeline_PixelPS='0' Timeline_TrackHeight='-2'/></Project>",
         "",
         [](TRProject& p) {
             EXPECT_EQ(p.ExportOptions().MediaSpeed, 250);
             EXPECT_EQ(p.ExportOptions().ReversedSpeed, 4000);
             EXPECT_FLOAT_EQ(p.InterfaceOptions.DesignScale, 1.0f);
             EXPECT_GE(p.InterfaceOptions.Timeline_PixelPS, 1);
             EXPECT_GE(p.InterfaceOptions.Timeline_TrackHeight, 1);
         }},
        {"older attributes",
         "<Project><Export VideoSpeed='250'/><Interface Timeline_PixelPF='3'/></Project>", "",
         [](TRProject& p) {
             EXPECT_EQ(p.ExportOptions().MediaSpeed, 2500);
             EXPECT_EQ(p.InterfaceOptions.Timeline_PixelPS, 90);
         }},
        {"reversed pitch missing keeps it", "<Project><Export AudioPitch='false'/></Project>", "",
         [](TRProject& p) {
             EXPECT_FALSE(p.ExportOptions().AudioPitch);
             EXPECT_TRUE(p.ExportOptions().AudioPitchReversed);
         }},
        {"older attributes beyond their range",
         "<Project><Export VideoSpeed='1.5'/><Interface Timeline_PixelPF='12'/></Project>", "",
         [](TRProject& p) {
             EXPECT_EQ(p.ExportOptions().MediaSpeed, 250);
             EXPECT_EQ(p.InterfaceOptions.Timeline_PixelPS, 120);
         }},
        {"comma separator", "<Project Decimal=','><Interface DesignScale='0,5'/></Project>", "",
         [](TRProject& p) { EXPECT_FLOAT_EQ(p.InterfaceOptions.DesignScale, 0.5f); }},
        {"no separator reads points", "<Project><Export AudioVolume='0.25'/></Project>", "",
         [](TRProject& p) { EXPECT_FLOAT_EQ(p.ExportOptions().AudioVolume, 0.25f); }},
        {"not a number", "<Project><Export AudioVolume='nan' AudioLoudness='1e999'/></Project>", "",
         [](TRProject& p) {
             EXPECT_FLOAT_EQ(p.ExportOptions().AudioVolume, 1.0f);
             EXPECT_TRUE(std::isfinite(p.ExportOptions().AudioLoudness));
         }},
        {"times at the integer limits",
         "<Project><Objects><Object Type='2' Id='2147483647' TimeStart='2147483647' "
         "TimeEnd='2147483647' MediaOffset='2147483647' MediaStart='2147483647' "
         "MediaEnd='-2147483648'><Transformations><Transformation Time='0'/><Transformation "
         "Time='2147483647' Duration='2147483647'/></Transformations></Object><Object Type='2' "
         "Id='2147483647' TimeStart='-2147483648' TimeEnd='2147483647'/></Objects>"
         "</Project>",
         "",
         [](TRProject& p) {
             ASSERT_EQ(p.Objects().size(), 2u);
             for (const auto& o : p.Objects()) {
                 EXPECT_GT(o->TimeEnd(), o->TimeStart());
                 EXPECT_LE(o->TimeEnd(), MaxStoredTimeMs + o->GetMinDuration());
                 EXPECT_GE(o->MediaEnd(), o->MediaStart());
                 for (const TRTransformation& keyframe : o->Transformations())
                     EXPECT_LE(std::int64_t(keyframe.Time) + keyframe.AnimateDuration,
                               std::int64_t(INT32_MAX));
             }
             // A new object after the largest id keeps the integer in range.
             EXPECT_EQ(p.GetNextId(otShape), INT32_MAX);
         }},
        // 3.5e38 is a finite double but beyond the largest float (3.4028e38): it is refused
        // like any damaged number instead of becoming infinity.
        {"numbers beyond the float range",
         "<Project><Export AudioLoudness='3.5e38' AudioVolume='-3.5e38'/>"
         "<Interface DesignScale='1e300'/></Project>",
         "",
         [](TRProject& p) {
             EXPECT_FLOAT_EQ(p.ExportOptions().AudioLoudness, DefaultExportOptions().AudioLoudness);
             EXPECT_FLOAT_EQ(p.ExportOptions().AudioVolume, 1.0f);
             EXPECT_FLOAT_EQ(p.InterfaceOptions.DesignScale, 1.0f);
         }},
        {"largest float is still a number", "<Project><Export AudioLoudness='-3.4e38'/></Project>",
         "", [](TRProject& p) { EXPECT_FLOAT_EQ(p.ExportOptions().AudioLoudness, -3.4e38f); }},
        {"export settings no export can use",
         "<Project><Export FramePS='0' FramePSGIF='-4' Quality='101' Width='-1' Height='99999' "
         "SelStart='-10' SelEnd='-20' AudioVolume='11'/></Project>",
         "",
         [](TRProject& p) {
             const TRProjectExportOptions& o = p.ExportOptions();
             EXPECT_EQ(o.FramePS, 30);
             EXPECT_EQ(o.FramePSGIF, 10);
             EXPECT_EQ(o.Quality, 80);
             EXPECT_EQ(o.Width, 0);
             EXPECT_EQ(o.Height, 0);
             EXPECT_EQ(o.SelTimeStart, 0);
             EXPECT_EQ(o.SelTimeEnd, 0);
             EXPECT_FLOAT_EQ(o.AudioVolume, 1.0f);
         }},
        {"export settings at the edges of their range",
         "<Project><Export FramePS='1' FramePSGIF='60' Quality='100' Width='16384' SelStart='5' "
         "SelEnd='5'/></Project>",
         "",
         [](TRProject& p) {
             const TRProjectExportOptions& o = p.ExportOptions();
             EXPECT_EQ(o.FramePS, 1);
             EXPECT_EQ(o.FramePSGIF, 60);
             EXPECT_EQ(o.Quality, 100);
             EXPECT_EQ(o.Width, 16384);
             EXPECT_EQ(o.SelTimeEnd, 5);
         }},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TRProject> project;
        const QString result = Open(c.xml, project);
        if (*c.error) {
            EXPECT_TRUE(result.startsWith(c.error)) << result.toStdString();
            continue;
        }
        EXPECT_EQ(result, "");
        if (c.check)
            c.check(*project);
    }
}

// Descriptions nested deeper than any the editor writes, or too large, are refused before a
// document is built of them (building one a million elements deep takes minutes).
TEST_F(ObjectXmlTest, DeepOrHugeDescriptionsAreRefusedQuickly) {
    // Wherever the nesting is: in an element of no kind (passed over), in an object, in one of
    // its keyframes (read one by one), in a part of the project, after the objects.
    struct Place {
        const char* before;
        const char* after;
    } places[] = {
        {"<Project><Objects>", "</Objects></Project>"},
        {"<Project><Objects><Object Type='2'>", "</Object></Objects></Project>"},
        {"<Project><Objects><Object Type='2'><Transformations><Transformation>",
         "</Transformation></Transformations></Object></Objects></Project>"},
        {"<Project><Export>", "</Export><Objects/></Project>"},
        {"<Project><Objects/>", "</Project>"},
    };
    for (const Place& place : places) {
        for (const int depth : {100, 100000, 1000000}) {
            if (depth > 100000 && &place != &places[0])
                continue;
            SCOPED_TRACE(testing::Message() << place.before << " " << depth);
            QByteArray xml = place.before;
            xml += QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
            xml += place.after;
            std::unique_ptr<TRProject> project;
            const QString result = Open(xml, project);
            EXPECT_TRUE(result.startsWith(NotValid)) << result.toStdString();
            EXPECT_TRUE(result.contains("nested too deeply")) << result.toStdString();
        }
    }
    // A description as deep as the editor's own, with some room, still opens.
    QByteArray nested = "<Project><Objects><Object Type='2'><Transformations><Transformation "
                        "Time='0'>";
    nested +=
        QByteArray("<Property Type='0'>").repeated(40) + QByteArray("</Property>").repeated(40);
    nested += "</Transformation></Transformations></Object></Objects></Project>";
    std::unique_ptr<TRProject> project;
    EXPECT_EQ(Open(nested, project), "");
    // Past the size limit the file is not read at all: a sparse file costs no disk.
    const QString folder = path("huge/");
    QDir().mkpath(folder);
    QFile huge(folder + "project.xml");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("<Project>");
    ASSERT_TRUE(huge.resize(qint64(2) << 30));
    huge.close();
    TRProject opened;
    opened.TempFolder = NewProjectTempFolder();
    const QString result = opened.OpenFromFile(folder);
    EXPECT_TRUE(result.startsWith(NotValid)) << result.toStdString();
    EXPECT_TRUE(result.contains("too large")) << result.toStdString();
}

// A canvas no picture can have is held to a sane range when read, so that the project can be
// painted and saved.
TEST_F(ObjectXmlTest, ProjectSizeOutOfRangeIsHeldToItsRange) {
    struct Case {
        int width, height, wantWidth, wantHeight;
    } cases[] = {{0, -5, MinProjectSide, MinProjectSide},
                 {100000, 720, MaxProjectSide, 720},
                 {1280, 720, 1280, 720},
                 {7680, 4320, 7680, 4320}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        TRProject source;
        source.SetProjectSize(c.width, c.height);
        source.SetProjectOriginalSize(c.width, c.height);
        std::unique_ptr<TRProject> project;
        ASSERT_EQ(Open(source.ProjectDocument('.').toByteArray(), project), "");
        std::int32_t width = 0, height = 0;
        project->GetProjectSize(width, height);
        EXPECT_EQ(width, c.wantWidth);
        EXPECT_EQ(height, c.wantHeight);
        EXPECT_EQ(project->Get<TRPropProjectSize>(ptProjectSize)->OriginalHeight, c.wantHeight);
        QDir().mkpath(path("saved"));
        EXPECT_EQ(project->SaveToFile(path("saved/sized.qmb")), "");
    }
}

// A deterministic stand-in for a fuzzer: thousands of mutations of a valid description, each
// opened as the reader opens a file.
TEST_F(ObjectXmlTest, MutatedDescriptionsNeverCrashTheReader) {
    auto sample = std::make_unique<TRProject>();
    savetest::BuildSampleProject(*sample);
    const QByteArray valid = sample->ProjectDocument(',').toByteArray(0);
    const QByteArray tokens[] = {"-1", "99999999999", "../",   "<",
                                 "\"", "Type=\"3\"",  ",",     "/>",
                                 "0",  "nan",         "&amp;", "<Object Type=\"4\"/>"};
    std::mt19937 random(20261210);
    int opened = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray xml = valid;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const auto at = qsizetype(random() % std::uint32_t(xml.size()));
            switch (random() % 3) {
            case 0:
                xml[at] = char(random() % 128);
                break;
            case 1:
                xml.remove(at, 1 + qsizetype(random() % 40));
                break;
            default:
                xml.insert(at, tokens[random() % std::size(tokens)]);
            }
        }
        QDomDocument document;
        if (!document.setContent(xml) || document.documentElement().tagName() != "Project")
            continue;
        TRProject project;
        try {
            project.OpenFromXML(document.documentElement());
            ++opened;
        } catch (const TRDamagedProject&) {
        }
        for (const auto& object : project.Objects()) {
            ASSERT_FALSE(object->Transformations().empty());
            ASSERT_GT(object->TimeEnd(), object->TimeStart());
        }
    }
    EXPECT_GT(opened, 100);
}

TEST_F(ObjectXmlTest, ObjectElementKeepsEveryFieldGroupAndKeyframe) {
    auto project = std::make_unique<TRProject>();
    savetest::BuildSampleProject(*project);
    for (const auto& object : project->Objects()) {
        QDomDocument document = XmlNewDocument("Objects");
        object->SaveToXML(document.documentElement());
        const QByteArray written = document.toByteArray(2);
        std::unique_ptr<TRObject> copy = CreateObjectOfType(project.get(), object->ObjectType());
        copy->OpenFromXML(XmlReparse(document).documentElement().firstChildElement("Object"));
        QDomDocument again = XmlNewDocument("Objects");
        copy->SaveToXML(again.documentElement());
        EXPECT_EQ(again.toByteArray(2), written) << object->ObjectName().toStdString();
    }
}

TEST_F(ObjectXmlTest, PastePropertiesTakesOnlyTheSelectedGroups) {
    TRProject project;
    PropertiesClipboard.Reset();
    std::unique_ptr<TRObject> source = CreateObjectOfType(&project, otShape);
    std::unique_ptr<TRObject> target = CreateObjectOfType(&project, otImage);
    const auto snapshot = [](const TRObject& o) {
        QDomDocument d = XmlNewDocument("Objects");
        o.SaveToXML(d.documentElement());
        return d.toByteArray(2);
    };
    TRPropertiesChecked all{};
    all.fill(true);
    target->PastePropertiesFromClipboard(all);
    const QByteArray untouched = snapshot(*target);
    EXPECT_EQ(untouched, snapshot(*target)) << "pasting before any copy changes nothing";

    source->SetMarker(true);
    savetest::ShiftGroup(source->TrIn(), 5);
    savetest::ShiftGroup(source->TransformationAt(0).Properties->GetProperty(ptShadow), 2);
    source->CopyCurrentPropertiesToClipBoard();
    // Changes after the copy are not pasted.
    savetest::ShiftGroup(source->TrIn(), 9);

    TRPropertiesChecked onlyTrIn{};
    onlyTrIn[ptTrIn] = true;
    target->PastePropertiesFromClipboard(onlyTrIn);
    EXPECT_FALSE(target->Marker());
    auto* shadow = target->TransformationAt(0).Properties->Get<TRPropShadow>(ptShadow);
    auto* sourceShadow = source->TransformationAt(0).Properties->Get<TRPropShadow>(ptShadow);
    ASSERT_TRUE(shadow && sourceShadow);
    QDomDocument a = XmlNewDocument("T");
    QDomDocument b = XmlNewDocument("T");
    shadow->SaveToXML(a.documentElement());
    sourceShadow->SaveToXML(b.documentElement());
    EXPECT_NE(a.toByteArray(), b.toByteArray());

    TRPropertiesChecked shadowAndMarker{};
    shadowAndMarker[ptShadow] = true;
    shadowAndMarker[ptHTMLMarker] = true;
    target->PastePropertiesFromClipboard(shadowAndMarker);
    EXPECT_TRUE(target->Marker());
    QDomDocument c = XmlNewDocument("T");
    shadow->SaveToXML(c.documentElement());
    EXPECT_EQ(c.toByteArray(), b.toByteArray());
    EXPECT_EQ(target->TransformationAt(0).Properties->ObjectType(), otImage);
    PropertiesClipboard.Reset();
}

// A media kind whose files never open.
class UnopenableMedia final : public TRObject {
public:
    using TRObject::TRObject;
    bool OpenMedia() override {
        ++opened;
        return false;
    }
    int opened = 0;
};

std::unique_ptr<TRObject> MakeUnopenable(TRProject* project, TRObjectType type) {
    return std::make_unique<UnopenableMedia>(project, type);
}

TEST_F(ObjectXmlTest, MediaAreOpenedWithoutKeyframesAndFailuresAreReported) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray("<Object Type='4' MediaName='v.mp4'/>")));
    UnopenableMedia object(nullptr, otVideo);
    object.OpenFromXML(document.documentElement());
    EXPECT_EQ(object.opened, 1);
    EXPECT_FALSE(object.MediaOpened());

    RegisterObjectKind(otVideo, MakeUnopenable);
    std::unique_ptr<TRProject> project;
    const QString result =
        Open("<Project><Objects><Object Type='4' MediaName='v.mp4'/></Objects></Project>", project);
    RegisterObjectKind(otVideo, nullptr);
    EXPECT_EQ(result, "");
    EXPECT_EQ(project->MissingMedia, QStringList{"v.mp4"});
}

} // namespace
