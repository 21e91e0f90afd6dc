// The web page's interactivity data: click areas per keyframe span with their own corners, video
// actions at their middle, and texts that stay inert inside the page's script.

#include "core/URProject.h"
#include "objects/URHTMLInteractivity.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropInteractivity.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropVideoAction.h"

#include <gtest/gtest.h>

namespace {

using platform::render::Matrix3x2;

// Project pixels to page pixels: half size, the frame's centre at (320, 180).
const Matrix3x2 ToPage{0.5f, 0, 0, 0.5f, 320, 180};

// The corners of a 200 x 100 placement at (49, 21) on the page: (-51, -29) to (149, 71) halved
// and moved give 294.5, 394.5, 165.5 and 215.5, rounded halves to even.
const char* const CornersAt49 = "\"x1\":294,\"y1\":166,\"x2\":394,\"y2\":166,\"x3\":394,\"y3\":216,"
                                "\"x4\":294,\"y4\":216,";
// The same placement at (149, 21): 344.5 and 444.5 across.
const char* const CornersAt149 = "\"x1\":344,\"y1\":166,\"x2\":444,\"y2\":166,\"x3\":444,"
                                 "\"y3\":216,\"x4\":344,\"y4\":216,";

class HTMLInteractivity : public testing::Test {
protected:
    void SetUp() override { RegisterEngineKinds(); }

    // An image from `start` to `end` whose one keyframe has a checked Interactivity group.
    TRObject& Image(std::int32_t start, std::int32_t end) {
        TRObject* object = project.AddObject(CreateObjectOfType(&project, otImage));
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        auto* placement = Group<TRPropPlacement>(*object, 0, ptPlacement);
        placement->FPosition = {49, 21};
        placement->FSize = {200, 100};
        Group<TRPropInteractivity>(*object, 0, ptInteractivity)->SetChecked(true);
        return *object;
    }

    TRPropVideoAction& VideoAction(std::int32_t start, std::int32_t end, std::int32_t action) {
        TRObject* object = project.AddObject(CreateObjectOfType(&project, otVideoAction));
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        auto* group = Group<TRPropVideoAction>(*object, 0, ptVideoAction);
        group->FAction = action;
        return *group;
    }

    template <class T>
    static T* Group(TRObject& object, std::size_t keyframe, TRPropertyType type) {
        T* group = object.TransformationAt(keyframe).Properties->Get<T>(type);
        EXPECT_NE(group, nullptr);
        return group;
    }

    QByteArray Data(std::int32_t start, std::int32_t end) {
        return GetHTMLDataInteractivity(project, start, end, ToPage);
    }

    TRProject project;
};

TEST_F(HTMLInteractivity, ClickAreasAndVideoActionsInTheirOrder) {
    TRObject& image = Image(2000, 8000);
    image.SetMarker(true);
    image.SetObjectId(5);
    auto* click = Group<TRPropInteractivity>(image, 0, ptInteractivity);
    click->FAction = 3;
    click->FURL = QStringLiteral("https://x.test/?q=\"a\"</script><script>alert(1)</script>");
    click->FWindow = 0;
    VideoAction(4000, 6000, 2).FMarkerCode = otImage * 1000 + 5;
    TRPropVideoAction& link = VideoAction(7000, 9000, 3);
    link.FURL = QStringLiteral("a&b");
    VideoAction(8000, 10000, 0);  // no action
    VideoAction(12000, 14000, 3); // its middle lies after the range

    const QByteArray data = Data(0, 10000);
    EXPECT_EQ(data, QByteArray("\"clickareas\":[{") + CornersAt49 +
                        "\"timestart\":2000,\"timeend\":8000,\"hand\":1,\"event\":0,\"action\":3,"
                        "\"url\":\"https://x.test/?q=\\\"a\\\"\\u003c/script\\u003e\\u003cscript"
                        "\\u003ealert(1)\\u003c/script\\u003e\",\"window\":0}],"
                        "\"videoactions\":[{\"time\":5000,\"action\":2,\"gototime\":2000},"
                        "{\"time\":8000,\"action\":3,\"url\":\"a\\u0026b\",\"window\":1}]");
    EXPECT_FALSE(data.contains("</"));
}

TEST_F(HTMLInteractivity, AreasFollowTheRange) {
    EXPECT_EQ(Data(0, 10000), "");
    Image(2000, 8000);
    const std::pair<std::int32_t, const char*> cases[] = {
        {5000, "\"timestart\":0,\"timeend\":3000,"},
        {-1000, "\"timestart\":3000,\"timeend\":9000,"},
    };
    for (const auto& [start, times] : cases)
        EXPECT_EQ(Data(start, 10000), QByteArray("\"clickareas\":[{") + CornersAt49 + times +
                                          "\"hand\":1,\"event\":0,\"action\":1}]")
            << start;
    EXPECT_EQ(Data(8001, 10000), "");
    EXPECT_EQ(Data(0, 1999), "");
}

TEST_F(HTMLInteractivity, EachKeyframeSpanHasItsOwnCornersAndCheck) {
    TRObject& image = Image(2000, 8000);
    image.AddNewTransformation(3000);
    image.TransformationAt(1).AnimateDuration = 1000;
    Group<TRPropPlacement>(image, 1, ptPlacement)->FPosition = {149, 21};
    const QByteArray second = QByteArray("{") + CornersAt149 +
                              "\"timestart\":5000,\"timeend\":8000,\"hand\":1,\"event\":0,"
                              "\"action\":1}";
    EXPECT_EQ(Data(0, 10000), QByteArray("\"clickareas\":[{") + CornersAt49 +
                                  "\"timestart\":2000,\"timeend\":4000,\"hand\":1,\"event\":0,"
                                  "\"action\":1}," +
                                  second + "]");
    EXPECT_EQ(image.TimePosition(), 0);

    auto* first = Group<TRPropInteractivity>(image, 0, ptInteractivity);
    first->SetChecked(false);
    EXPECT_EQ(Data(0, 10000), "\"clickareas\":[" + second + "]");
    first->SetUseCheckBox(false); // a group without a check box always counts
    EXPECT_TRUE(Data(0, 10000).startsWith(QByteArray("\"clickareas\":[{") + CornersAt49));
}

TEST_F(HTMLInteractivity, VideoActionsLieAtTheirMiddle) {
    project.SetTimeEnd(30000);
    VideoAction(4000, 6000, 2).FMarkerCode = ObjectCodeEnd;
    VideoAction(1000, 2000, 2).FMarkerCode = otImage * 1000 + 9; // no such marker: time 0
    EXPECT_EQ(Data(0, 10000), "\"videoactions\":[{\"time\":5000,\"action\":2,\"gototime\":30000},"
                              "{\"time\":1500,\"action\":2,\"gototime\":0}]");
    EXPECT_EQ(Data(1000, 10000),
              "\"videoactions\":[{\"time\":4000,\"action\":2,\"gototime\":29000},"
              "{\"time\":500,\"action\":2,\"gototime\":-1000}]");
    EXPECT_EQ(Data(6000, 10000), "");
}

} // namespace
