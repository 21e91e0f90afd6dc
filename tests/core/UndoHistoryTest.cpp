// The undo history: exact states after each undo and redo, merging, grouping, paint order of
// re-created objects and records whose object cannot be made again.

#include "CoreTestEnvironment.h"
#include "SaveTestProject.h"
#include "core/URTempFolders.h"

namespace {

class UndoHistoryTest : public CoreTestEnvironment {
protected:
    void SetUp() override {
        CoreTestEnvironment::SetUp();
        TempRoot = path("tmp/QMBTemp/");
        project_.TempFolder = NewProjectTempFolder();
        savetest::BuildSampleProject(project_);
        project_.History_Init();
    }
    void TearDown() override { TempRoot.clear(); }

    QByteArray State() const { return project_.ProjectDocument('.').toByteArray(2); }

    TRObject* Add(TRObjectType type) {
        TRObject* object = project_.AddObject(CreateObjectOfType(&project_, type));
        project_.History_AddInsertDelete(object, undoInsert, undoIncrement);
        return object;
    }

    void Move(TRObject* object, std::int32_t start, TUndoType type = undohtObject) {
        object->SetTimeStartField(start);
        object->SetTimeEnd(start + 3000);
        project_.History_AddModify(object, type, undoIncrement);
    }

    void Delete(TRObject* object) {
        project_.History_AddInsertDelete(object, undoDelete, undoIncrement);
        project_.DeleteObject(object);
    }

    TRObject* At(std::size_t index) const { return project_.Objects().at(index).get(); }

    bool registered_ = (RegisterEngineKinds(), true);
    TRProject project_;
};

TEST_F(UndoHistoryTest, EveryUndoAndRedoRestoresTheExactState) {
    EXPECT_FALSE(project_.History_CanUndo());
    std::vector<QByteArray> states{State()};
    TRObject* shape = Add(otShape);
    states.push_back(State());
    Move(shape, 4000);
    states.push_back(State());
    Move(At(0), 12000, undoShadow);
    states.push_back(State());
    project_.History_Increment();
    for (std::size_t i = 1; i <= 3; ++i) {
        At(i)->SetMarker(!At(i)->Marker());
        project_.History_AddModify(At(i), undoPasteProperties, undoCurrent);
    }
    states.push_back(State());
    Delete(At(2));
    states.push_back(State());
    Delete(shape);
    states.push_back(State());

    for (std::size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(project_.History_CanUndo()) << step;
        project_.History_Undo();
        EXPECT_EQ(State(), states[step - 1]) << "undo to state " << step - 1;
    }
    EXPECT_FALSE(project_.History_CanUndo());
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(project_.History_CanRedo()) << step;
        project_.History_Redo();
        EXPECT_EQ(State(), states[step]) << "redo to state " << step;
    }
    EXPECT_FALSE(project_.History_CanRedo());
}

TEST_F(UndoHistoryTest, RunsOfOneKindOnOneObjectMerge) {
    const QByteArray before = State();
    const std::size_t records = project_.History().Records().size();
    for (std::int32_t start : {1000, 2000, 3000})
        Move(At(0), start, undoPlacement);
    EXPECT_EQ(project_.History().Records().size(), records + 1);
    project_.History_Undo();
    EXPECT_EQ(State(), before);
    project_.History_Redo();
    EXPECT_EQ(At(0)->TimeStart(), 3000);

    Move(At(0), 4000, undoShadow);
    Move(At(0), 5000, undoPlacement);
    Move(At(1), 6000, undoPlacement);
    EXPECT_EQ(project_.History().Records().size(), records + 4);
}

TEST_F(UndoHistoryTest, UndoingADeleteRestoresThePaintOrder) {
    const QByteArray before = State();
    TRObject* bottom = At(0);
    const QString name = bottom->ObjectName();
    Delete(bottom);
    project_.History_Undo();
    EXPECT_EQ(At(0)->ObjectName(), name);
    EXPECT_EQ(State(), before);
    // Later records follow the re-created object.
    Move(At(0), 7000, undoPlacement);
    project_.History_Undo();
    EXPECT_EQ(State(), before);
}

TEST_F(UndoHistoryTest, ANewChangeDropsTheRedoTail) {
    Move(At(0), 1000);
    project_.History_Undo();
    ASSERT_TRUE(project_.History_CanRedo());
    Move(At(1), 2000);
    EXPECT_FALSE(project_.History_CanRedo());
    // The latest record first, then the five below it: group, kind, and the object's type and
    // name. The start of the history is group 1; each change opened a group of its own, and the
    // undone one is gone.
    const auto entry = [](int group, int kind, const TRObject* object) {
        return QStringLiteral("%1_%2_(%3_%4);")
            .arg(group)
            .arg(kind)
            .arg(object->ObjectType())
            .arg(object->ObjectName());
    };
    const std::size_t count = project_.Objects().size();
    QString expected = "_" + entry(3, undohtObject, At(1));
    for (std::size_t i = count - 1; i + 5 >= count; --i)
        expected += entry(1, undoInit, At(i));
    EXPECT_EQ(project_.History_GetLastOperations(), expected);
}

std::unique_ptr<TRObject> NoObject(TRProject*, TRObjectType) {
    return nullptr;
}

TEST_F(UndoHistoryTest, ARecordWhoseObjectCannotBeMadeAgainIsDropped) {
    Add(otKeystroke);
    const std::size_t records = project_.History().Records().size();
    project_.History_Undo();
    RegisterObjectKind(otKeystroke, NoObject);
    project_.History_Redo();
    RegisterObjectKind(otKeystroke, nullptr);
    EXPECT_EQ(project_.History().Records().size(), records - 1);
    EXPECT_FALSE(project_.History_CanRedo());
    EXPECT_EQ(project_.Objects().size(), std::size_t(otEnd - otShape));
    project_.History_Undo();
    project_.History_Redo();
}

} // namespace
