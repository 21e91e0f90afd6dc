#pragma once
// The collapsible panel around every property frame: a header with the group's caption, an
// expand glyph that turns when the group opens, an optional switch that turns the whole group
// on and off and an optional Reset glyph. Opening and closing animate the panel's height
// between a compact height (header only) and an expanded height; the frame's controls sit on
// the panel below the header.

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class TIKPropertyAnimation;
class TRGlyphImage;

class TRGPPanelEx : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Height READ height WRITE SetHeight)
public:
    explicit TRGPPanelEx(QWidget* parent = nullptr);
    ~TRGPPanelEx() override;

    QWidget* Header() const { return FHeader; }
    TRGlyphImage* ExpandButton() const { return FExpandButton; }
    QLabel* Caption() const { return FCaption; }
    QCheckBox* CheckBox() const { return FCheckBox; }
    TRGlyphImage* RefreshButton() const { return FRefreshButton; }

    void SetCaption(const QString& caption);
    // The switch's state with a switch, otherwise always true.
    bool Checked() const;
    // Sets the switch without reporting a change; shows the expand glyph only while checked.
    void SetChecked(bool checked);
    bool Expanded() const { return FExpanded; }
    // Opens or closes at once, without animation or change report; a group that is not
    // checked stays closed.
    void SetExpanded(bool expanded);
    bool UseCheckBox() const { return FUseCheckBox; }
    void SetUseCheckBox(bool use);
    int HeightCompact() const { return FHeightCompact; }
    void SetHeightCompact(int height) { FHeightCompact = height; }
    int HeightExpanded() const { return FHeightExpanded; }
    void SetHeightExpanded(int height) { FHeightExpanded = height; }
    // The Reset handler; the Reset glyph shows while it is set and the group is open.
    void SetOnRefresh(std::function<void()> handler);

    void SetHeight(int height);
    // Scales the compact and expanded heights by m / d (rounded to nearest).
    void ChangeScale(int m, int d);

Q_SIGNALS:
    // The user opened, closed, switched on or off the group.
    void Changed();
    // Every size change, each animation step included: frames lay out their controls here.
    void Resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ExpandButtonClick();
    void CheckBoxClick();
    void RefreshButtonClick();
    void StartAnimation(bool expand);
    void PropAnimationFinish();
    void Layout();

    QWidget* FHeader;
    TRGlyphImage* FExpandButton;
    QLabel* FCaption;
    QCheckBox* FCheckBox;
    TRGlyphImage* FRefreshButton;
    bool FExpanded = false;
    int FHeightCompact;
    int FHeightExpanded;
    bool FUseCheckBox = true;
    bool FSettingCheck = false;
    bool FReversing = false;
    std::function<void()> FOnRefresh;
    std::unique_ptr<TIKPropertyAnimation> FPropAnimation;
    std::unique_ptr<TIKPropertyAnimation> FButtonAnimation;
    std::unique_ptr<TIKPropertyAnimation> FRefreshAnimation;
};
