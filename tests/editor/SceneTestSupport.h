// What the canvas tests share: the drawing objects and the dark style, a 1000 x 500 project
// without a background fill (its frame shows the checkerboard) on a 600 x 300 canvas, a
// stand-in for the editor's services, and objects of known size and place.
#pragma once

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URSettings.h"
#include "editor/ui/URScene.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropPlacement.h"
#include "objects/kinds/URKindsRegistry.h"
#include "tests/objects/SceneTestContext.h"
#include "tests/support/StyleScope.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>
#include <memory>

// The editor as the canvas sees it: selection and hover go straight into the project.
struct SceneServices : TREditorServices {
    TRProject* Project = nullptr;
    bool PlayingNow = false;
    int Stops = 0;
    TRProject* ActiveProject() const override { return Project; }
    void RepaintScene() override {}
    bool Playing() const override { return PlayingNow; }
    void SetSelectedObject(TRObject* object, bool unselect) override {
        SelectObject(*Project, object, unselect);
    }
    void SetMouseOverObject(TRObject* object) override { Project->MouseOverObject = object; }
    void Stop() override { ++Stops; }
};

class SceneTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterEngineKinds();
        RegisterDrawableKinds();
    }
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        context_ = std::make_unique<SceneTestContext>();
        style_ = std::make_unique<StyleScope>();
        project_ = std::make_unique<TRProject>();
        project_->SetProjectSize(1000, 500);
        project_->GetProperty(ptBackgroundFill, true)->SetChecked(false);
        project_->SetTimeEnd(10000);
        services_.Project = project_.get();
        InstallEditorServices(&services_);
        canvas_ = std::make_unique<TRScene>(nullptr);
        canvas_->resize(600, 300);
        canvas_->show();
        canvas_->SetProject(project_.get());
    }
    void TearDown() override {
        canvas_.reset();
        InstallEditorServices(nullptr);
        project_.reset();
        style_.reset();
        context_.reset();
    }

    void SetScale(float scale) { project_->InterfaceOptions.DesignScale = scale; }

    // A shape (or text) of `size` centred at `at`, drawn only as its outline: no fill, border,
    // shadow or reflection, so the pixels around it are the checkerboard's.
    TRObject* AddObject(QSizeF size, QPointF at = {}, TRObjectType type = otShape) {
        TRObject* object = project_->AddObject(CreateObjectOfType(project_.get(), type));
        object->SetTimeEnd(5000);
        for (TRPropertyType off : {ptBackgroundFill, ptBackgroundBorder, ptShadow, ptReflection})
            if (TRPropBase* group = object->GetProperty(off, true))
                group->SetChecked(false);
        auto* p = Placement(*object);
        p->FSize = size;
        p->FOriginalSize = size;
        p->FPosition = at;
        project_->SetTimePosition(1000);
        return object;
    }
    static TRPropPlacement* Placement(TRObject& object) {
        return object.Get<TRPropPlacement>(ptPlacement, true);
    }
    void SelectOnly(TRObject* object) {
        SelectObject(*project_, object, true);
        canvas_->SelectionTool().SetObject(object);
    }
    // The canvas's picture; kept in TAVRIN_GALLERY_DIR for looking at when that is set.
    QImage Shot() {
        const QImage shot = canvas_->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (const QString keep = qEnvironmentVariable("TAVRIN_GALLERY_DIR"); !keep.isEmpty())
            shot.save(QDir(keep).filePath(
                QString("scene_%1_%2.png")
                    .arg(testing::UnitTest::GetInstance()->current_test_info()->name())
                    .arg(++shots_)));
        return shot;
    }

    int shots_ = 0;
    SceneServices services_;
    std::unique_ptr<SceneTestContext> context_;
    std::unique_ptr<StyleScope> style_;
    std::unique_ptr<TRProject> project_;
    std::unique_ptr<TRScene> canvas_;
};

// The colours the canvas is expected to show.
inline constexpr QRgb Highlight = 0xFF00A1A1;
inline constexpr QRgb White = 0xFFFFFFFF;
inline constexpr QRgb LightCell = 0xFFCACACA; // 202
inline constexpr QRgb DarkCell = 0xFF474747;  // 71

inline testing::AssertionResult Near(QRgb got, QRgb want, int tolerance = 3) {
    if (std::abs(qRed(got) - qRed(want)) <= tolerance &&
        std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
        std::abs(qBlue(got) - qBlue(want)) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "(" << qRed(got) << ", " << qGreen(got) << ", " << qBlue(got) << ") is not near ("
           << qRed(want) << ", " << qGreen(want) << ", " << qBlue(want) << ")";
}

// `over` at `opacity` over `under`, rounded.
inline QRgb Over(QRgb over, float opacity, QRgb under) {
    const auto mix = [&](int a, int b) {
        return int(std::lround(opacity * a + (1 - opacity) * b));
    };
    return qRgb(mix(qRed(over), qRed(under)), mix(qGreen(over), qGreen(under)),
                mix(qBlue(over), qBlue(under)));
}
