#include "core/URUndo.h"

#include "core/URProject.h"
#include "core/URXmlValues.h"

#include <QDomDocument>

namespace {

const QString ObjectsElement = QStringLiteral("Objects");
const QString ObjectElement = QStringLiteral("Object");

enum class UndoClass { Initial, Appeared, Disappeared, Changed, Arranged };

UndoClass ClassOf(TUndoType type) {
    switch (type) {
    case undoInit:
        return UndoClass::Initial;
    case undoInsert:
    case undoPaste:
        return UndoClass::Appeared;
    case undoDelete:
        return UndoClass::Disappeared;
    case undoArrange:
        return UndoClass::Arranged;
    default:
        return UndoClass::Changed;
    }
}

// The "Object" element of a snapshot; null when the snapshot does not parse.
QDomElement SnapshotElement(QDomDocument& document, const QByteArray& snapshot) {
    if (!document.setContent(snapshot))
        return {};
    const QDomElement root = document.documentElement();
    return root.tagName() == ObjectsElement ? root.firstChildElement(ObjectElement) : QDomElement();
}

} // namespace

TRObject* TRUndoHistory::ObjectOf(const TUndoRec& record) const {
    return FProject.FindObjectByUniqueID(record.UniqueID);
}

// The project itself is recorded as its own object element only: its children are recorded
// one by one. Written keyframe by keyframe, with the separator a snapshot is read with.
void TRUndoHistory::SaveObject(TUndoRec& record, const TRObject& object) const {
    record.UMStream.clear();
    QXmlStreamWriter writer(&record.UMStream);
    writer.writeStartElement(ObjectsElement);
    object.WriteXml(writer, QChar('.'));
    writer.writeEndElement();
}

void TRUndoHistory::UpdateObject(TRObject& object, const QByteArray& snapshot) const {
    QDomDocument document;
    const QDomElement element = SnapshotElement(document, snapshot);
    if (element.isNull())
        return;
    try {
        if (&object == &FProject)
            object.TRObject::OpenFromXML(element);
        else
            object.OpenFromXML(element);
    } catch (const TRDamagedProject&) {
        // A snapshot the history wrote itself; a damaged one leaves the object as it is.
    }
}

void TRUndoHistory::AddInsertDelete(const TRObject* object, TUndoType type, TUndoIndex index) {
    if (!object)
        return;
    TruncateList();
    TUndoRec record;
    record.UType = type;
    record.UniqueID = object->UniqueID();
    if (index == undoIncrement)
        Increment();
    record.UGroupIndex = FGroupIndex;
    record.PaintIndex = FProject.IndexOfObject(object);
    SaveObject(record, *object);
    FRecords.push_back(std::move(record));
    ++FPosition;
    ++FChanges;
    FProject.SetModified(true);
}

void TRUndoHistory::AddModify(const TRObject* object, TUndoType type, TUndoIndex index) {
    if (!object)
        return;
    TruncateList();
    const bool atTop = !FRecords.empty() && FPosition == std::int32_t(FRecords.size()) - 1;
    if (atTop && FRecords.back().UniqueID == object->UniqueID() && FRecords.back().UType == type) {
        SaveObject(FRecords.back(), *object);
        ++FChanges;
        return;
    }
    AddInsertDelete(object, type, index);
}

void TRUndoHistory::AddArrange(const TRObject* object, std::int32_t formerIndex) {
    AddInsertDelete(object, undoArrange, undoIncrement);
    if (object && FPosition >= 0)
        FRecords[FPosition].FormerPaintIndex = formerIndex;
}

void TRUndoHistory::Init() {
    ClearList();
    Increment();
    for (const auto& object : FProject.Objects())
        AddInsertDelete(object.get(), undoInit, undoCurrent);
}

void TRUndoHistory::ClearList() {
    FRecords.clear();
    FPosition = -1;
}

void TRUndoHistory::TruncateList() {
    if (FRecords.empty()) {
        FPosition = -1;
        return;
    }
    if (FPosition >= std::int32_t(FRecords.size())) {
        Init();
        return;
    }
    FRecords.resize(static_cast<std::size_t>(FPosition + 1));
}

bool TRUndoHistory::CanUndo() {
    if (FRecords.empty())
        return false;
    if (FPosition >= std::int32_t(FRecords.size())) {
        TruncateList();
        return false;
    }
    return FPosition >= 0 && FRecords[FPosition].UType != undoInit;
}

bool TRUndoHistory::CanRedo() {
    if (FRecords.empty())
        return false;
    if (FPosition >= std::int32_t(FRecords.size())) {
        TruncateList();
        return false;
    }
    return FPosition + 1 < std::int32_t(FRecords.size());
}

void TRUndoHistory::ChangeObject(std::int32_t oldUniqueId, std::int32_t newUniqueId) {
    for (TUndoRec& record : FRecords)
        if (record.UniqueID == oldUniqueId)
            record.UniqueID = newUniqueId;
}

bool TRUndoHistory::OpenObject(TUndoRec& record) {
    QDomDocument document;
    const QDomElement element = SnapshotElement(document, record.UMStream);
    std::int32_t type = 0;
    XmlReadInt(element, QStringLiteral("Type"), type);
    std::unique_ptr<TRObject> object = CreateObjectOfType(&FProject, type);
    if (!object)
        return false;
    try {
        object->OpenFromXML(element);
    } catch (const TRDamagedProject&) {
        return false;
    }
    ChangeObject(record.UniqueID, object->UniqueID());
    FProject.InsertObject(record.PaintIndex, std::move(object));
    return true;
}

// A record whose object cannot be made again can never be replayed: it leaves the history.
void TRUndoHistory::DropRecord(std::int32_t position) {
    FRecords.erase(FRecords.begin() + position);
}

// Removes the object without recording it, keeping its place for the re-creation.
void TRUndoHistory::RemoveObject(TUndoRec& record, const TRObject* object) {
    if (!object)
        return;
    record.PaintIndex = FProject.IndexOfObject(object);
    FProject.DeleteObject(object);
}

void TRUndoHistory::UndoRecord(std::int32_t position) {
    TUndoRec& record = FRecords[position];
    TRObject* object = ObjectOf(record);
    switch (ClassOf(record.UType)) {
    case UndoClass::Appeared:
        RemoveObject(record, object);
        break;
    case UndoClass::Disappeared:
        if (!object && !OpenObject(record))
            DropRecord(position);
        break;
    case UndoClass::Changed:
        for (std::int32_t i = position - 1; object && i >= 0; --i)
            if (FRecords[i].UniqueID == record.UniqueID) {
                UpdateObject(*object, FRecords[i].UMStream);
                break;
            }
        break;
    case UndoClass::Arranged:
        FProject.MoveObjectTo(object, record.FormerPaintIndex);
        break;
    case UndoClass::Initial:
        break;
    }
}

void TRUndoHistory::RedoRecord(std::int32_t position) {
    TUndoRec& record = FRecords[position];
    TRObject* object = ObjectOf(record);
    switch (ClassOf(record.UType)) {
    case UndoClass::Appeared:
        if (!object && !OpenObject(record))
            DropRecord(position);
        break;
    case UndoClass::Disappeared:
        RemoveObject(record, object);
        break;
    case UndoClass::Changed:
        if (object)
            UpdateObject(*object, record.UMStream);
        break;
    case UndoClass::Arranged:
        FProject.MoveObjectTo(object, record.PaintIndex);
        break;
    case UndoClass::Initial:
        break;
    }
}

void TRUndoHistory::Undo() {
    if (!CanUndo())
        return;
    FProject.MouseOverObject = nullptr;
    const std::int32_t group = FRecords[FPosition].UGroupIndex;
    while (FPosition >= 0 && FPosition < std::int32_t(FRecords.size()) &&
           FRecords[FPosition].UGroupIndex == group) {
        UndoRecord(FPosition);
        --FPosition;
    }
    Finish();
}

void TRUndoHistory::Redo() {
    if (!CanRedo())
        return;
    FProject.MouseOverObject = nullptr;
    const std::int32_t group = FRecords[FPosition + 1].UGroupIndex;
    while (FPosition + 1 < std::int32_t(FRecords.size()) &&
           FRecords[FPosition + 1].UGroupIndex == group) {
        const std::size_t before = FRecords.size();
        RedoRecord(FPosition + 1);
        if (FRecords.size() == before)
            ++FPosition;
    }
    Finish();
}

void TRUndoHistory::Finish() {
    ++FChanges;
    FProject.SetModified(true);
    FProject.UpdateTimeEnd();
}

QString TRUndoHistory::GetLastOperations() const {
    QString text = QStringLiteral("_");
    const bool canUndo = FPosition >= 0 && FPosition < std::int32_t(FRecords.size()) &&
                         FRecords[FPosition].UType != undoInit;
    if (!canUndo)
        return text;
    for (std::int32_t i = FPosition; i >= 0 && i > FPosition - 6; --i) {
        const TUndoRec& record = FRecords[i];
        text += QString::number(record.UGroupIndex) + "_" + QString::number(record.UType);
        if (const TRObject* object = ObjectOf(record))
            text += "_(" + QString::number(object->ObjectType()) + "_" + object->ObjectName() + ")";
        text += ";";
    }
    return text;
}
