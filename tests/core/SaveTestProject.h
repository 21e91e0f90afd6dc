#pragma once
// A project with one object of every kind, several keyframes and every group changed from its
// defaults; the save, undo and recovery tests and the recovery probe build the same one.

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "objects/URObjectsRegistry.h"

#include <QFile>
#include <QString>

namespace savetest {

// Changes every field a group walks, the same way each time: numbers move, flags flip, texts
// grow. Floats get a fraction so that the decimal separator matters.
class FieldShifter final : public TRPropFields {
public:
    explicit FieldShifter(int salt) : FSalt(salt) {}
    void Int(const char*, std::int32_t& value) override { value += 1 + FSalt % 3; }
    void Bool(const char*, bool& value) override { value = !value; }
    void Float(const char*, float& value) override { value += 0.3f + float(FSalt % 5) / 8; }
    void Text(const char*, QString& value) override {
        value += QStringLiteral(" <&\"%1\">").arg(FSalt);
    }
    void Color(const char*, TColor& value) override { value ^= 0x00102030u + FSalt; }

private:
    int FSalt;
};

inline void ShiftGroup(TRPropBase* group, int salt) {
    if (!group)
        return;
    FieldShifter shifter(salt);
    group->VisitFields(shifter);
    group->SetChecked(salt % 2 == 0);
    group->SetExpanded(salt % 3 == 0);
}

inline void ShiftKeyframe(TRTransformation& keyframe, int salt) {
    for (int type = ptBase; type < ptEnd; ++type)
        ShiftGroup(keyframe.Properties->GetProperty(static_cast<TRPropertyType>(type)),
                   salt + type);
}

inline QString MediaFileName(int type) {
    return QStringLiteral("media%1.mp4").arg(type);
}

// The project's folder must exist; the media files the objects name are created in it. The
// project must have been made after RegisterEngineKinds.
inline void BuildSampleProject(TRProject& project) {
    RegisterEngineKinds();
    project.SetObjectName(QStringLiteral("Sample"));
    project.SetTimeEnd(60000);
    ShiftKeyframe(project.TransformationAt(0), 1);
    TRProjectExportOptions& exportOptions = project.ExportOptions();
    exportOptions.FileName = QStringLiteral("out <1>");
    exportOptions.AudioLoudness = -14.3f;
    exportOptions.AudioVolume = 0.3f;
    exportOptions.Color = 0xFF112233u;
    exportOptions.MediaSpeed = 1500;
    project.InterfaceOptions.DesignScale = 0.75f;
    project.InterfaceOptions.DateCreated = 45000;
    project.InterfaceOptions.Timeline_PixelPS = 90;
    for (int type = otShape; type < otEnd; ++type) {
        std::unique_ptr<TRObject> object = CreateObjectOfType(&project, type);
        object->SetObjectName(QStringLiteral("Object %1").arg(type));
        object->SetTimeStartField(1000 * type);
        object->SetTimeEnd(1000 * type + 9000);
        object->SetTrack(type);
        object->SetMarker(type % 2 == 0);
        object->SetVisibility(type % 3 != 0);
        object->SetMediaName(MediaFileName(type));
        object->SetMediaStart(100);
        object->SetMediaEnd(5000 + type);
        if (type == otScreenRecorder)
            object->SetCursorName(QStringLiteral("cursor.tcf"));
        if (type == otVideo)
            object->SetAudioName(QStringLiteral("audio.m4a"));
        object->AddNewTransformation(2000);
        object->AddNewTransformation(5000);
        for (std::size_t k = 0; k < object->Transformations().size(); ++k) {
            TRTransformation& keyframe = object->TransformationAt(k);
            keyframe.Ease = int(k) * 3 + type % 5;
            keyframe.AnimateDuration = 400 + int(k) * 100;
            ShiftKeyframe(keyframe, type * 7 + int(k));
        }
        ShiftGroup(object->TrIn(), type);
        ShiftGroup(object->TrOut(), type + 1);
        ShiftGroup(object->AudioV(), type + 2);
        ShiftGroup(object->MediaSpeed(), type + 3);
        for (const QString& name : {object->MediaName(), object->CursorName(), object->AudioName()})
            if (!name.isEmpty()) {
                QFile file(project.TempFolder + name);
                if (file.open(QIODevice::WriteOnly))
                    file.write(QByteArray(1000 + type, char('a' + type)));
            }
        project.AddObject(std::move(object));
    }
}

} // namespace savetest
