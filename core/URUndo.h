#pragma once
// The undo history of a project: a list of records, each a complete XML snapshot of one object,
// grouped so that one user action undoes in one step. Records name their object by its
// UniqueID, never by pointer: an object that is deleted and re-created gets a new UniqueID and
// the records of the old one are re-pointed to it.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class TRObject;
class TRProject;

// The kind of change a record describes; only the class (initial, appeared, disappeared,
// changed) changes how it is undone, the exact kind decides merging.
enum TUndoType : std::uint8_t {
    undoInit,
    undoInsert,
    undoPaste,
    undoDelete,
    undoPlacement,
    undoShape,
    undoBackgroundFill,
    undoEffect,
    undoBackgroundBorder,
    undoShadow,
    undoTransitionIn,
    undoTransitionOut,
    undoTransitionObj,
    undoText,
    undoTextAnimation,
    undoTextPath,
    undoSketch,
    undoZoomSource,
    undoAudio,
    undoFlipOpacity,
    undoZoomAndPan,
    undoChromaKey,
    undoColorAdjust,
    undoInteractivity,
    undoVideoAction,
    undohtObjectLeft,
    undohtObjectRight,
    undohtObject,
    undohtTrIn,
    undohtTrOut,
    undohtObjTransfLeft,
    undohtObjTransfRight,
    undohtObjTransf,
    undoInsertTime,
    undoSplit,
    undoAddAnimation,
    undoDeleteAnimation,
    undoAnimationEase,
    undoPasteProperties,
    undoSeparate,
    undoTrimEnd,
    undoTrimFront,
    undoKeystroke,
    undoCaption,
    undoClosedCaptioning,
    undoProgressBar,
    undoMediaSpeed,
    undoDrawing,
    undoDuplicate,
    // A change of the paint order: undone by putting the object back at its former place.
    undoArrange,
    // Edits of the reflection, kept apart from the shadow's so the two never merge.
    undoReflection,
    // A rename or a visibility switch of an object in the inspector's name header.
    undoName
};

// Whether a record opens a new group or joins the current one.
enum TUndoIndex : std::uint8_t { undoIncrement, undoCurrent };

struct TUndoRec {
    TUndoType UType = undoInit;
    std::int32_t UniqueID = 0;
    // The snapshot: a document with the root "Objects" holding the object's "Object" element.
    QByteArray UMStream;
    std::int32_t UGroupIndex = 0;
    // The object's place in the paint order when the record was made; -1 when it had none.
    std::int32_t PaintIndex = -1;
    // For undoArrange: the place the object had before the change.
    std::int32_t FormerPaintIndex = -1;
};

class TRUndoHistory {
public:
    explicit TRUndoHistory(TRProject& project) : FProject(project) {}

    void AddInsertDelete(const TRObject* object, TUndoType type, TUndoIndex index);
    // Merges with the top record when it is about the same object and the same kind.
    void AddModify(const TRObject* object, TUndoType type, TUndoIndex index);
    // A new group recording that `object` moved in the paint order from `formerIndex` to its
    // present place.
    void AddArrange(const TRObject* object, std::int32_t formerIndex);
    void Increment() { ++FGroupIndex; }
    void Init();
    void ClearList();
    void TruncateList();
    bool CanUndo();
    bool CanRedo();
    void Undo();
    void Redo();
    QString GetLastOperations() const;

    const std::vector<TUndoRec>& Records() const { return FRecords; }
    std::int32_t Position() const { return FPosition; }
    // Grows with every record, merge, undo and redo: the project's content may have changed.
    std::uint64_t Changes() const { return FChanges; }

private:
    void SaveObject(TUndoRec& record, const TRObject& object) const;
    // Loads a snapshot into the object; a snapshot that does not parse leaves it as it was.
    void UpdateObject(TRObject& object, const QByteArray& snapshot) const;
    // Re-creates the record's object at its paint-order place; false when it cannot be made.
    bool OpenObject(TUndoRec& record);
    void ChangeObject(std::int32_t oldUniqueId, std::int32_t newUniqueId);
    void UndoRecord(std::int32_t position);
    void RedoRecord(std::int32_t position);
    void DropRecord(std::int32_t position);
    void RemoveObject(TUndoRec& record, const TRObject* object);
    TRObject* ObjectOf(const TUndoRec& record) const;
    void Finish();

    TRProject& FProject;
    std::vector<TUndoRec> FRecords;
    std::int32_t FPosition = -1;
    std::int32_t FGroupIndex = 0;
    std::uint64_t FChanges = 0;
};
