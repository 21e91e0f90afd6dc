#pragma once
// The header at the top of every inspector page: the selected object's kind icon, its name and
// visibility, the time span of the current keyframe, and, in the grouped layout, the category
// tab buttons with the tab pages the other frames move onto. It has no group of its own: a
// rename or a visibility switch is recorded as one undo step of the object.

#include "core/URPropBase.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class TRGlyphButton;
class TRGlyphImage;
class TRObject;

class TFramePropName : public QWidget {
    Q_OBJECT
public:
    explicit TFramePropName(QWidget* parent = nullptr);

    // Once per page: the tabs of the object type, the first one pressed; the list layout.
    void Init(TRObjectType objectType);
    // Shows the object's name, visibility, kind and keyframe span; the group is ignored.
    void ShowProperties(TRObject* object, TRPropBase* property = nullptr);
    // 0 (or a type without tabs): name and span only; 1: with the tab strip and the tab pages,
    // which take `categoryHeight`.
    void SetLayout(int layoutType, int categoryHeight = 0);
    // The height of the name, information and tab panels together.
    int HeadHeight() const;
    int NameInfoHeight() const;

    // The tab page of a category (1..11), or null when the type has no such tab.
    QScrollArea* Category(int category) const;
    // The column of a category's tab page into which frames are placed.
    QVBoxLayout* CategoryColumn(int category) const;
    int NrCategories() const { return FNrCategories; }
    TRGlyphButton* CategoryButton(int category) const;
    // The category whose tab is shown, 0 without tabs.
    int CurrentCategory() const;
    void ShowCategory(int category);

    QLineEdit* NameEdit() const { return FName; }
    TRGlyphButton* VisibilityButton() const { return FVisibility; }
    TRGlyphImage* KindIcon() const { return FIcon; }
    TRGlyphImage* RecordIcon() const { return FIconRecord; }
    QLabel* InfoLabel() const { return FInfo; }
    QWidget* TabStrip() const { return FPanelTabs; }
    QStackedWidget* CategoryPages() const { return FPages; }
    TRObject* ShownObject() const { return FObject; }

    static constexpr int CategoryCount = 13;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void NameChange();
    void VisibilityClick();
    void ShowVisibility(bool visible);
    void LayoutPanels();
    void CenterButtons();

    TRObject* FObject = nullptr;
    bool FLoading = false;
    TRObjectType FObjectType = otBase;
    int FLayout = 0;
    int FCategoryHeight = 0;
    QWidget* FPanelName;
    TRGlyphImage* FIcon;
    TRGlyphImage* FIconRecord;
    QLineEdit* FName;
    TRGlyphButton* FVisibility;
    QWidget* FPanelInfo;
    QLabel* FCaption;
    QLabel* FInfo;
    QWidget* FPanelTabs;
    std::array<TRGlyphButton*, CategoryCount> FButtons{};
    QStackedWidget* FPages;
    std::array<QScrollArea*, CategoryCount> FCategories{};
    int FNrCategories = 0;
};

// A scrolling column that stacks frames from the top (an inspector page or a category tab).
QScrollArea* NewFrameColumn(const QString& objectName);
// The layout of such a column; frames go before its closing stretch.
QVBoxLayout* FrameColumnLayout(QScrollArea* column);

// The glyph of an object kind in the header (0: none).
int ObjectKindGlyph(TRObjectType type);
