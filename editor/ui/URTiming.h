#pragma once
// The timing dialog: the start and end of one timeline object typed in or set by its buttons,
// held inside the free gap around the object on its track and above the shortest length its
// keyframes and transitions need. Created once at start-up and reused; every Execute works its
// limits out anew from the object. All times are whole milliseconds.

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QToolButton;
class QTimeEdit;
class TRGlyphButton;
class TRObject;

class TRTiming : public QDialog {
    Q_OBJECT
public:
    explicit TRTiming(QWidget* parent = nullptr);

    // Shows the dialog for `object` (not the project itself) of the editor's active project;
    // true when the user saved. The times chosen are then TimeStart() and TimeEnd().
    bool Execute(TRObject* object);
    // Steps 1 to 7 of Execute without showing the dialog: false when there is nothing to time.
    bool Prepare(TRObject* object);

    std::int32_t TimeStart() const;
    std::int32_t TimeEnd() const;
    // The limits Prepare found, in ms.
    std::int32_t MinDuration() const { return FMinDuration; }
    std::int32_t MinStart() const { return FMinStart; }
    std::int32_t MaxEnd() const { return FMaxEnd; }
    std::int32_t CrtDuration() const { return FCrtDuration; }

    // 1 after Save, 0 otherwise.
    int Tag = 0;

    QTimeEdit* edTimeStart;
    QTimeEdit* edTimeEnd;
    TRGlyphButton* btnFixedDuration;
    QToolButton* btnExtendLeft;
    QToolButton* btnExtendRight;
    QToolButton* btnMoveLeft;
    QToolButton* btnMoveRight;
    QPushButton* btnSave;
    QPushButton* btnCancel;

    // The shortest length an object may be given: its last keyframe plus 100 ms, or its checked
    // transitions together when they need more.
    static std::int32_t MinimumLength(const TRObject& object);

private:
    void BuildForm();
    QToolButton* TimeButton(int glyph, const QString& hint, void (TRTiming::*handler)());
    void FixedDurationClick();
    void ExtendLeftClick();
    void ExtendRightClick();
    void MoveLeftClick();
    void MoveRightClick();
    void StartChanged();
    void EndChanged();
    // Sets a box without its change handler running (the box's guard).
    void SetGuarded(QTimeEdit* box, std::int32_t ms);
    void FindNeighbours(const TRObject& object);

    QLabel* lbcaption;
    std::int32_t FCrtDuration = 0;
    std::int32_t FMinDuration = 0;
    std::int32_t FMinStart = 0;
    std::int32_t FMaxEnd = 0;
};
