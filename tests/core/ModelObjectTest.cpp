// The timeline object base: keyframe spans and eased interpolation, keyframe insertion and
// deletion, time moves, per-mille speed arithmetic, and the object's XML element with damaged
// values.

#include "core/UREasing.h"
#include "core/URObject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/URXmlValues.h"
#include "objects/URObjectsRegistry.h"

#include <gtest/gtest.h>

namespace {

// A placement stand-in with one animated value, so the object's interpolation can be watched
// without the real placement group.
class TestMotion : public TRPropBase {
public:
    TestMotion() : TRPropBase(ptPlacement) { FUseCheckBox = false; }
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override {
        static_cast<TestMotion*>(destination)->X =
            X + pos * (static_cast<const TestMotion*>(to)->X - X);
    }
    void VisitFields(TRPropFields& fields) override { fields.Float("X", X); }
    float X = 0;
};

class Objects : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        RegisterPropertyGroup(ptPlacement, MakePropertyGroup<TestMotion>);
    }

    // A shape 0..10000 with keyframes at 0 (X 0) and 2000 (X 100) animated over `duration`.
    static std::unique_ptr<TRObject> Animated(std::int32_t duration, std::int32_t ease) {
        auto object = std::make_unique<TRObject>(nullptr, otShape);
        object->SetTimeEnd(10000);
        object->AddNewTransformation(2000);
        Motion(*object, 1) = 100;
        TRTransformation& keyframe = object->TransformationAt(1);
        keyframe.AnimateDuration = duration;
        keyframe.Ease = ease;
        return object;
    }

    static float& Motion(TRObject& object, std::size_t keyframe) {
        return object.Transformations()[keyframe].Properties->Get<TestMotion>(ptPlacement)->X;
    }

    static float At(TRObject& object, std::int32_t time) {
        object.SetTimePosition(time);
        return static_cast<TestMotion*>(object.GetProperty(ptPlacement))->X;
    }
};

TEST_F(Objects, NewObjectOutsideAProject) {
    TRObject object(nullptr, otShape);
    EXPECT_EQ(object.ObjectId(), 1);
    EXPECT_EQ(object.TimeStart(), 0);
    EXPECT_EQ(object.TimeEnd(), 5000);
    ASSERT_EQ(object.Transformations().size(), 1u);
    EXPECT_EQ(object.Transformations()[0].Time, 0);
    EXPECT_EQ(object.MediaSpeed()->Speed(), 1000);
    EXPECT_EQ(object.TrIn()->PropType(), ptTrIn);
    EXPECT_EQ(object.TrOut()->PropType(), ptTrOut);
    EXPECT_EQ(object.AudioV()->PropType(), ptAudioV);
    EXPECT_EQ(object.GetProperty(ptCaption), nullptr);
    EXPECT_NE(object.GetProperty(ptShadow), nullptr);
    TRObject other(nullptr, otShape);
    EXPECT_EQ(other.UniqueID(), object.UniqueID() + 1);
}

TEST_F(Objects, KeyframeSpansAndInterpolation) {
    const auto object = Animated(500, ecLinear);
    struct Case {
        std::int32_t time;
        bool inAnimation;
        std::int32_t index;
        float x;
    };
    const Case cases[] = {
        {-300, false, 0, 0},   {0, false, 0, 0},      {1499, false, 0, 0},
        {1500, true, 0, 0},    {1750, true, 0, 50},   {1999, true, 0, 99.8f},
        {2000, false, 1, 100}, {9000, false, 1, 100}, {20000, false, 1, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_NEAR(At(*object, c.time), c.x, 1e-3);
        EXPECT_EQ(object->InAnimation(), c.inAnimation);
        EXPECT_EQ(object->TransformationsIndex(), c.index);
    }
}

TEST_F(Objects, InterpolationFollowsTheKeyframesEase) {
    const auto object = Animated(500, ecQuadIn);
    EXPECT_NEAR(At(*object, 1750), 25.0f, 1e-3);
    EXPECT_NEAR(At(*object, 1625), 100 * 0.0625f, 1e-3);
}

TEST_F(Objects, AnimationWindowIsCutToWholeFrames) {
    EXPECT_EQ(AnimationWindow(500), 500);
    EXPECT_EQ(AnimationWindow(510), 500);
    EXPECT_EQ(AnimationWindow(110), 100);
    EXPECT_EQ(AnimationWindow(20), 0);
    const auto object = Animated(510, ecLinear);
    EXPECT_NEAR(At(*object, 1500), 100.0f * 10 / 510, 1e-3);
    EXPECT_TRUE(object->InAnimation());
    const auto instant = Animated(33, ecLinear);
    EXPECT_EQ(At(*instant, 1999), 0.0f);
    EXPECT_FALSE(instant->InAnimation());
    EXPECT_EQ(At(*instant, 2000), 100.0f);
}

TEST_F(Objects, InspectorAndDrawingsGetTheKeyframesOwnGroup) {
    const auto object = Animated(500, ecLinear);
    object->SetTimePosition(1750);
    TRPropBase* own = object->Transformations()[0].Properties->GetProperty(ptPlacement);
    EXPECT_EQ(object->GetProperty(ptPlacement, true), own);
    EXPECT_NE(object->GetProperty(ptPlacement), own);
    EXPECT_EQ(object->GetProperty(ptDrawing), nullptr); // shapes carry no drawing group
}

TEST_F(Objects, CheckStateOfAnInterpolatedGroup) {
    const auto object = Animated(500, ecLinear);
    object->SetTimePosition(1750);
    EXPECT_FALSE(object->GetProperty(ptReflection)->Checked());
    object->Transformations()[1].Properties->GetProperty(ptReflection)->SetChecked(true);
    EXPECT_TRUE(object->GetProperty(ptReflection)->Checked());
}

TEST_F(Objects, AddingKeyframes) {
    TRObject object(nullptr, otShape);
    Motion(object, 0) = 7;
    object.AddNewTransformation(3000);
    object.AddNewTransformation(1000);
    object.AddNewTransformation(3000);
    object.AddNewTransformation(-50);
    object.AddNewTransformation(999999);
    std::vector<std::int32_t> times;
    for (const TRTransformation& keyframe : object.Transformations())
        times.push_back(keyframe.Time);
    EXPECT_EQ(times, (std::vector<std::int32_t>{0, 0, 1000, 3000, 3000, 5000}));
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ(Motion(object, i), 7.0f); // each new keyframe copies the one before it
    EXPECT_EQ(object.Transformations()[2].AnimateDuration, 500);
}

TEST_F(Objects, RoomForANewKeyframe) {
    const auto object = Animated(500, ecLinear);
    object->SetTimePosition(532);
    EXPECT_FALSE(object->CanAddTransformation());
    object->SetTimePosition(533);
    EXPECT_TRUE(object->CanAddTransformation());
    object->SetTimePosition(1600);
    EXPECT_FALSE(object->CanAddTransformation()); // inside an animation
}

TEST_F(Objects, DeletingTheKeyframeBeingAnimatedInto) {
    const auto object = Animated(500, ecLinear);
    object->SetTimePosition(1000);
    object->DeleteCurrentTransformation();
    EXPECT_EQ(object->Transformations().size(), 2u);
    object->SetTimePosition(1800);
    EXPECT_EQ(object->GetCurrentTransformationEase(), ecLinear);
    object->SetCurrentTransformationEase(ecSineOut);
    EXPECT_EQ(object->Transformations()[1].Ease, ecSineOut);
    object->DeleteCurrentTransformation();
    EXPECT_EQ(object->Transformations().size(), 1u);
    EXPECT_FALSE(object->InAnimation());
    EXPECT_EQ(object->GetCurrentTransformationEase(), 0);
}

TEST_F(Objects, MovingTheClip) {
    TRObject object(nullptr, otShape);
    object.SetTimeStartField(1000);
    object.SetTimeEnd(4000);
    object.OffsetTime(-5000);
    EXPECT_EQ(object.TimeStart(), 0);
    EXPECT_EQ(object.TimeEnd(), 3000);

    object.SetTimeStartField(1000);
    object.AddNewTransformation(2000); // project time 3000
    object.SetTimeStart(1510);
    EXPECT_EQ(object.TimeStart(), 1500);
    EXPECT_EQ(object.TimeStart() + object.Transformations()[1].Time, 3000);
    EXPECT_EQ(object.Transformations()[0].Time, 0);
}

TEST_F(Objects, MediaDurationInPerMille) {
    TRObject object(nullptr, otVideo);
    object.SetMediaEnd(10000);
    struct Case {
        std::int32_t speed;
        std::int32_t duration;
    };
    // 1255 per mille is not cut to 125 %: 10000 * 1000 / 1255.
    const Case cases[] = {{1000, 10000}, {500, 20000}, {2000, 5000},  {1255, 7968},
                          {0, 40000},    {9, 40000},   {100000, 2500}};
    for (const Case& c : cases) {
        object.MediaSpeed()->SetSpeed(c.speed);
        EXPECT_EQ(object.MediaDuration(), c.duration) << c.speed;
    }
}

TEST_F(Objects, XmlRoundTrip) {
    const auto object = Animated(400, ecBackOut);
    object->SetObjectName("Title & <more>");
    object->SetMarker(true);
    object->SetTrack(3);
    object->SetMediaName("m1_5_clip.mp4");
    object->SetMediaStart(250);
    object->SetMediaEnd(7250);
    object->MediaSpeed()->SetSpeed(1500);
    object->TrIn()->FCenterX = 0.5f;
    QDomDocument document = XmlNewDocument("Project");
    document.documentElement().setAttribute("Decimal", ",");
    const QDomElement element = object->SaveToXML(document.documentElement());
    const QDomDocument copy = XmlReparse(document);
    EXPECT_NE(copy.toString().indexOf("CenterX=\"0,5\""), -1);

    TRObject read(nullptr, otShape);
    read.OpenFromXML(copy.documentElement().firstChildElement("Object"));
    EXPECT_EQ(read.ObjectName(), "Title & <more>");
    EXPECT_TRUE(read.Marker());
    EXPECT_EQ(read.Track(), 3);
    EXPECT_EQ(read.TimeEnd(), 10000);
    EXPECT_EQ(read.MediaName(), "m1_5_clip.mp4");
    EXPECT_EQ(read.MediaDuration(), 7000 * 1000 / 1500);
    EXPECT_EQ(read.TrIn()->FCenterX, 0.5f);
    ASSERT_EQ(read.Transformations().size(), 2u);
    EXPECT_EQ(read.Transformations()[1].AnimateDuration, 400);
    EXPECT_EQ(read.Transformations()[1].Ease, ecBackOut);
    EXPECT_EQ(Motion(read, 1), 100.0f);
    QDomDocument again = XmlNewDocument("Project");
    again.documentElement().setAttribute("Decimal", ",");
    read.SaveToXML(again.documentElement());
    EXPECT_EQ(again.toString(), copy.toString());
}

TEST_F(Objects, EmptyElementGivesTheConstructorsValuesAndOneKeyframe) {
    QDomDocument document = XmlNewDocument("Object");
    TRObject object(nullptr, otText);
    object.OpenFromXML(document.documentElement());
    EXPECT_EQ(object.ObjectType(), otText);
    EXPECT_EQ(object.TimeEnd(), 5000);
    ASSERT_EQ(object.Transformations().size(), 1u);
    object.OpenFromXML(QDomElement());
    EXPECT_EQ(object.Transformations().size(), 1u);
}

TEST_F(Objects, DamagedElementLoadsAsSaneValues) {
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray(R"(
        <Object Type="2" TimeStart="-400" TimeEnd="-900" Track="-2" MediaName=""
                AudioName="a.m4a" MediaStart="-5" MediaEnd="-10"
                Marker="perhaps" Id="x">
          <MediaSpeed><Property Type="35" Speed="0"/></MediaSpeed>
          <Transformations>
            <Transformation Time="3000" Duration="-50" Ease="77"/>
            <Transformation Time="500" Duration="200"/>
            <Transformation Time="-20"/>
            <Transformation Time="4000" Duration="2147483647"/>
          </Transformations>
        </Object>)")));
    TRObject object(nullptr, otShape);
    object.OpenFromXML(document.documentElement());
    EXPECT_EQ(object.TimeStart(), 0);
    EXPECT_GT(object.TimeEnd(), object.TimeStart());
    EXPECT_EQ(object.Track(), 0);
    EXPECT_EQ(object.MediaName(), "");
    EXPECT_EQ(object.CursorName(), "");
    EXPECT_EQ(object.AudioName(), "a.m4a");
    EXPECT_FALSE(object.Marker());
    EXPECT_EQ(object.ObjectId(), 1);
    EXPECT_EQ(object.MediaSpeed()->Speed(), MinMediaSpeed);
    EXPECT_EQ(object.MediaDuration(), 0);
    std::vector<std::int32_t> times;
    for (const TRTransformation& keyframe : object.Transformations()) {
        times.push_back(keyframe.Time);
        EXPECT_GE(keyframe.AnimateDuration, 0);
    }
    EXPECT_EQ(times, (std::vector<std::int32_t>{0, 500, 3000, 4000}));
    EXPECT_EQ(At(object, 3100), 0.0f); // an unknown curve eases linearly; nothing breaks
    EXPECT_TRUE(object.InAnimation()); // the endless animation into 4000 runs without overflow
}

TEST_F(Objects, FileNamesWithAFolderPartRefuseTheElement) {
    for (const char* xml :
         {R"(<Object MediaName="../../etc/passwd"/>)", R"(<Object CursorName="dir/c.tcf"/>)",
          R"(<Object AudioName="C:a.m4a"/>)"}) {
        QDomDocument document;
        ASSERT_TRUE(document.setContent(QByteArray(xml)));
        TRObject object(nullptr, otShape);
        EXPECT_THROW(object.OpenFromXML(document.documentElement()), TRDamagedProject) << xml;
    }
}

} // namespace
