#pragma once
// The inspector frame of the text group: glyph brush (solid, gradients, a picture of another
// media object, or erasing the background for text objects), font and size, bold, italic,
// underline and strikethrough with their colours, alignment, outline, the text itself and the
// "Add Variable" menu of time variables. A change writes the whole group and records one undo
// step.

#include "properties/ui/UFramePropBase.h"

#include <functional>

class QComboBox;
class QFontComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSlider;
class QToolButton;
class TRBrushControls;
class TRColorButton;
class TRGPEditEx;
class TRPropText;

// Greys or enables the text-layout and text-animation frames of the page showing the text
// frame, as the text group is switched on or off; the inspector pages install it.
extern std::function<void(bool enabled)> UpdateTextLayoutEnabled;

class TFramePropText : public TFramePropBase {
    Q_OBJECT
public:
    explicit TFramePropText(QWidget* parent = nullptr);

    // "Erase Background" is offered for text objects only.
    void InitForObjectType(TRObjectType objectType);
    void Init() override;

    TRBrushControls* Brush() const { return FBrush; }
    TRGPEditEx* SizeEdit() const { return FSize; }
    QComboBox* Bitmaps() const { return FBitmaps; }
    QFontComboBox* FontCombo() const { return FFont; }
    // Bold, italic, underline, strikethrough.
    QToolButton* StyleButton(int index) const { return FStyles[index & 3]; }
    // Left, centre, right, justified; top, middle, bottom.
    QToolButton* AlignButton(int index) const { return FAlignH[index & 3]; }
    QToolButton* VAlignButton(int index) const { return FAlignV[index % 3]; }
    TRColorButton* UnderlineColor() const { return FUnderlineColor; }
    TRColorButton* StrikeColor() const { return FStrikeColor; }
    TRColorButton* OutlineColor() const { return FOutlineColor; }
    QSlider* OutlineSize() const { return FOutlineSize; }
    QPlainTextEdit* TextEdit() const { return FText; }
    QToolButton* AddTagButton() const { return FAddTag; }
    QMenu* TagMenu() const { return FTags; }
    // The tag inserted by the "Add Variable" item with image index 1..6.
    static QString TimeVariable(int index);

protected:
    void LoadControls() override;
    void SaveControls() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TRPropText* Group() const;
    // Fills the media list with the project's other pictures, videos and recordings.
    void PopulateBitmaps();
    void UpdateInterface();
    void InsertTag(int index);
    void LayoutControls();

    TRBrushControls* FBrush;
    TRGPEditEx* FSize;
    QComboBox* FBitmaps;
    QLabel* FFontLabel;
    QFontComboBox* FFont;
    QLabel* FStyleLabel;
    QToolButton* FStyles[4];
    TRColorButton* FUnderlineColor;
    TRColorButton* FStrikeColor;
    QLabel* FAlignLabel;
    QToolButton* FAlignH[4];
    QToolButton* FAlignV[3];
    QToolButton* FWordWrap;
    QPlainTextEdit* FText;
    QLabel* FOutlineLabel;
    TRColorButton* FOutlineColor;
    QSlider* FOutlineSize;
    QToolButton* FAddTag;
    QMenu* FTags;
    // The family the font list showed for the group's font.
    QString FShownFont;
    bool FUnderlineTC = true;
    bool FStrikeTC = true;
};
