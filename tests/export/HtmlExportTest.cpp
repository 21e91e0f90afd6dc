// The web page beside an exported MP4: its setup text character for character, the template's
// placeholders, texts that stay inert inside the page, and the page delivered by a whole export.
#include "core/URUtils.h"
#include "export/URHtmlExport.h"
#include "objects/URPropInteractivity.h"
#include "objects/URPropPlacement.h"
#include "tests/export/ExportTestProject.h"
#include "tests/support/SourcePaths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// The shipped template in this checkout.
QString ShippedTemplates() {
    return QString::fromUtf8(kTestsSourceDir) + "/../Depot/Templates/";
}

QByteArray ReadAll(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// The setup texts as the page's data are defined, for the options a row changes.
TEST(HtmlExportSetup, TextsCharacterForCharacter) {
    struct Case {
        const char* name;
        void (*change)(TRProjectExportOptions&);
        QByteArray interactivity;
        QByteArray expected;
    };
    const Case cases[] = {
        {"defaults",
         [](TRProjectExportOptions&) {},
         {},
         R"({"controls":true, "atstart":{"action": 1}, "atend":{"action": 2}})"},
        {"go to the stored address",
         [](TRProjectExportOptions& o) { o.Html_AtEnd_Action = 3; },
         {},
         R"({"controls":true, "atstart":{"action": 1}, "atend":{"action": 3, "url":"https://"}})"},
        {"controls off, autoplay, loop",
         [](TRProjectExportOptions& o) {
             o.Html_Controls = false;
             o.Html_AtStart_Action = 0;
             o.Html_AtEnd_Action = 0;
         },
         {},
         R"({"controls":false, "atstart":{"action": 0}, "atend":{"action": 0}})"},
        {"an address only with action 3",
         [](TRProjectExportOptions& o) { o.Html_AtEnd_URL = "https://example.org/"; },
         {},
         R"({"controls":true, "atstart":{"action": 1}, "atend":{"action": 2}})"},
        {"one click area", [](TRProjectExportOptions&) {},
         R"("clickareas":[{"x1":1,"y1":2,"x2":3,"y2":4,"x3":5,"y3":6,"x4":7,"y4":8,)"
         R"("timestart":0,"timeend":500,"hand":1,"event":0,"action":1}])",
         R"({"controls":true, "atstart":{"action": 1}, "atend":{"action": 2}, "clickareas":[{)"
         R"("x1":1,"y1":2,"x2":3,"y2":4,"x3":5,"y3":6,"x4":7,"y4":8,"timestart":0,"timeend":500,)"
         R"("hand":1,"event":0,"action":1}]})"},
    };
    for (const Case& c : cases) {
        TRProjectExportOptions options;
        c.change(options);
        EXPECT_EQ(HtmlExportSetup(options, c.interactivity), c.expected) << c.name;
    }
}

// Addresses are JSON text that no "</script>" can end, and only web addresses are kept; the
// parsed value is the address itself.
TEST(HtmlExportSetup, AddressesStayInertAndOnlyWebAddressesAreWritten) {
    struct Case {
        QString stored;
        QString parsed;
        QByteArray written;
    };
    const QString hostile = "https://x.test/?q=\"a\"</script><img src=x onerror=alert(1)>&b";
    const Case cases[] = {
        {hostile, hostile,
         R"("https://x.test/?q=\"a\"\u003c/script\u003e\u003cimg src=x onerror=alert(1)\u003e\u0026b")"},
        {"HTTP://Example.org/ä", "HTTP://Example.org/ä", "\"HTTP://Example.org/ä\""},
        {"javascript:alert(1)", "", R"("")"},
        {" https://x.test/", "", R"("")"},
        {"file:///etc/passwd", "", R"("")"},
        {"data:text/html,<b>", "", R"("")"},
    };
    for (const Case& c : cases) {
        TRProjectExportOptions options;
        options.Html_AtEnd_Action = 3;
        options.Html_AtEnd_URL = c.stored;
        const QByteArray setup = HtmlExportSetup(options, {});
        EXPECT_TRUE(setup.contains("\"url\":" + c.written)) << setup.toStdString();
        EXPECT_FALSE(setup.contains('<') || setup.contains('>')) << setup.toStdString();
        const QJsonObject parsed = QJsonDocument::fromJson(setup).object();
        EXPECT_EQ(parsed["atend"].toObject()["url"].toString(), c.parsed) << c.stored.toStdString();
    }
}

TEST(HtmlExportTemplate, PlaceholdersInAnyCaseFilledInOnePass) {
    const QString page = "<video src=\"QM_VIDEO_SOURCE\" width=qm_video_width "
                         "height=Qm_Video_Height></video><script>QM_VIDEO_DATA-SETUP "
                         "qm_video_data-setup</script>";
    EXPECT_EQ(FillHtmlTemplate(page, 1282, 722, "My video.mp4", "{\"a\":1}"),
              "<video src=\"My%20video.mp4\" width=1282 height=722></video><script>{\"a\":1} "
              "{\"a\":1}</script>");
    // A name or a setup that holds a placeholder is not filled again, and a name cannot leave
    // the attribute it stands in.
    EXPECT_EQ(FillHtmlTemplate("QM_VIDEO_SOURCE|QM_VIDEO_DATA-SETUP", 1, 1,
                               "QM_VIDEO_DATA-SETUP\"<x>.mp4", "QM_VIDEO_WIDTH"),
              "QM_VIDEO_DATA-SETUP%22%3Cx%3E.mp4|QM_VIDEO_WIDTH");
}

// A project whose one image has a checked Interactivity group from 0 to `end`.
class HtmlExportPage : public exporttest::ExportProject {
protected:
    void SetUp() override {
        ExportProject::SetUp();
        savedTemplates_ = TemplatesFolder;
        TemplatesFolder = ShippedTemplates();
    }
    void TearDown() override { TemplatesFolder = savedTemplates_; }

    TRPropInteractivity& ClickArea(const QString& url, std::int32_t window = 1) {
        TRObject* object = project_->AddObject(CreateObjectOfType(project_.get(), otImage));
        object->SetTimeStartField(0);
        object->SetTimeEnd(project_->TimeEnd());
        TRPropList& groups = *object->TransformationAt(0).Properties;
        auto* placement = groups.Get<TRPropPlacement>(ptPlacement);
        placement->FPosition = {0, 0};
        placement->FSize = {20, 10};
        auto* group = groups.Get<TRPropInteractivity>(ptInteractivity);
        group->SetChecked(true);
        group->FAction = 3;
        group->FURL = url;
        group->FWindow = window;
        return *group;
    }
    void WantPage() {
        TRProjectExportOptions& options = project_->ExportOptions();
        options.FileName = "My video.mp4";
        options.Html = true;
    }
    QString Out(const QString& name) const { return dir_.filePath("out/" + name); }

    QString savedTemplates_;
};

TEST_F(HtmlExportPage, DeliveredBesideTheVideoWithItsSizeSourceAndData) {
    WantPage();
    ClickArea("https://example.org/");
    const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
    EXPECT_EQ(outcome.File, Out("My video.html"));
    EXPECT_TRUE(outcome.Notice.isEmpty()) << outcome.Notice.toStdString();
    EXPECT_TRUE(QFile::exists(Out("My video.mp4")));
    const QString page = QString::fromUtf8(ReadAll(Out("My video.html")));
    EXPECT_TRUE(page.contains("src=\"My%20video.mp4\"")) << page.toStdString();
    // 65 x 49 is encoded as 66 x 50; the scene's centre is at (32, 24) of it.
    EXPECT_TRUE(page.contains("viewBox=\"0 0 66 50\""));
    EXPECT_TRUE(page.contains(R"({"controls":true, "atstart":{"action": 1}, "atend":{"action": 2},)"
                              R"( "clickareas":[{"x1":22,"y1":19,"x2":42,"y2":19,"x3":42,"y3":29,)"
                              R"("x4":22,"y4":29,"timestart":0,"timeend":1000,"hand":1,"event":0,)"
                              R"("action":3,"url":"https://example.org/","window":1}]})"))
        << page.toStdString();
    EXPECT_FALSE(page.contains("QM_VIDEO", Qt::CaseInsensitive));
}

TEST_F(HtmlExportPage, AnUnreadableTemplateStillDeliversTheVideoAndSaysWhy) {
    WantPage();
    TemplatesFolder = dir_.filePath("none/");
    const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
    EXPECT_TRUE(outcome.Delivered);
    EXPECT_FALSE(outcome.Error);
    EXPECT_EQ(outcome.File, Out("My video.mp4"));
    EXPECT_TRUE(outcome.Notice.startsWith("The HTML file was not created.\r"))
        << outcome.Notice.toStdString();
    EXPECT_TRUE(outcome.Notice.contains(dir_.filePath("none/html.html")));
    EXPECT_FALSE(QFile::exists(Out("My video.html")));
}

// The page in a real browser beside its video: hostile addresses create no element, run no
// script and open nothing but web addresses; the setup the player parsed is the options.
TEST_F(HtmlExportPage, BrowserParsesTheSetupAndOpensOnlyWebAddresses) {
    const QString browser = QStandardPaths::findExecutable("chromium");
    if (browser.isEmpty())
        GTEST_SKIP() << "chromium is not installed";
    WantPage();
    const QString hostile =
        "https://x.test/?q=\"a\"</script><img src=x onerror=\"document.title='ran'\">";
    ClickArea(hostile, 1);
    ClickArea("javascript:document.title='ran'", 0);
    ClickArea("JavaScript:document.title='ran'", 2);
    TRProjectExportOptions& options = project_->ExportOptions();
    options.Html_Controls = false;
    options.Html_AtEnd_Action = 3;
    options.Html_AtEnd_URL = "javascript:document.title='ran'";
    ExportExpectingFile();

    // The test's own probe after the player: it records what the page opens, fires every
    // event of every area and the end of the video, and writes what it saw into the page.
    QFile page(Out("My video.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadWrite));
    QByteArray text = page.readAll();
    text.replace("</body>", R"(<script>
var opened = [];
window.open = function (url, target) { opened.push([String(url), String(target)]); return null; };
function report() {
  var video = document.getElementById("video");
  document.querySelectorAll("#areas polygon").forEach(function (p) {
    ["click", "contextmenu", "dblclick"].forEach(function (type) {
      p.dispatchEvent(new MouseEvent(type, {bubbles: true, cancelable: true}));
    });
  });
  video.dispatchEvent(new Event("ended"));
  var seen = {setup: window.tavrinPlayer.setup, opened: opened, title: document.title,
              images: document.getElementsByTagName("img").length,
              videoWidth: video.videoWidth, controls: video.controls};
  var out = document.createElement("pre");
  out.id = "seen";
  out.textContent = "SEEN" + btoa(unescape(encodeURIComponent(JSON.stringify(seen)))) + "SEEN";
  document.body.appendChild(out);
}
var v = document.getElementById("video");
if (v.readyState >= 1) report(); else v.addEventListener("loadedmetadata", report);
</script></body>)");
    page.resize(0);
    page.write(text);
    page.close();

    QProcess chromium;
    chromium.start(browser,
                   {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--mute-audio",
                    "--user-data-dir=" + dir_.filePath("profile"), "--virtual-time-budget=5000",
                    "--dump-dom", QUrl::fromLocalFile(Out("My video.html")).toString()});
    ASSERT_TRUE(chromium.waitForFinished(120000));
    const QByteArray dom = chromium.readAllStandardOutput();
    // The probe's own source holds the marker too; its output is the base64 between two.
    const QRegularExpressionMatch found =
        QRegularExpression("SEEN([A-Za-z0-9+/=]+)SEEN").match(QString::fromUtf8(dom));
    ASSERT_TRUE(found.hasMatch()) << dom.toStdString();
    const QJsonObject seen =
        QJsonDocument::fromJson(QByteArray::fromBase64(found.captured(1).toLatin1())).object();

    EXPECT_EQ(seen["videoWidth"].toInt(), 66);
    EXPECT_EQ(seen["images"].toInt(), 0);
    EXPECT_NE(seen["title"].toString(), "ran");
    EXPECT_FALSE(seen["controls"].toBool());
    const QJsonArray opened = seen["opened"].toArray();
    ASSERT_EQ(opened.size(), 1) << QJsonDocument(opened).toJson().toStdString();
    const QString address = opened[0].toArray()[0].toString();
    EXPECT_TRUE(address.startsWith("https://x.test/?q=%22a%22%3C/script%3E"))
        << address.toStdString();
    EXPECT_EQ(opened[0].toArray()[1].toString(), "_blank");

    const QJsonObject setup = seen["setup"].toObject();
    EXPECT_EQ(setup["controls"], QJsonValue(false));
    EXPECT_EQ(setup["atstart"].toObject()["action"].toInt(), 1);
    EXPECT_EQ(setup["atend"].toObject()["action"].toInt(), 3);
    EXPECT_EQ(setup["atend"].toObject()["url"].toString(), "");
    const QJsonArray areas = setup["clickareas"].toArray();
    ASSERT_EQ(areas.size(), 3);
    EXPECT_EQ(areas[0].toObject()["url"].toString(), hostile);
    EXPECT_EQ(areas[1].toObject()["url"].toString(), "javascript:document.title='ran'");
    EXPECT_EQ(areas[2].toObject()["window"].toInt(), 2);
}

} // namespace
