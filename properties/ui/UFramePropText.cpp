#include "properties/ui/UFramePropText.h"

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/ui/URColorButton.h"
#include "core/ui/URGPEditEx.h"
#include "core/ui/URGPPanelEx.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "objects/URPropText.h"
#include "properties/ui/URBrushControls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <cmath>

std::function<void(bool enabled)> UpdateTextLayoutEnabled;

namespace {

// Glyphs of the icon font for the style and alignment buttons.
constexpr char16_t StyleGlyphs[] = {0xe238, 0xe23f, 0xe249, 0xe257};
constexpr const char* StyleHints[] = {"Bold", "Italic", "Underline", "Strikethrough"};
constexpr const char* StyleNames[] = {"btnBold", "btnItalic", "btnUnderline", "btnStrike"};
// Left, centre, right, justified, and the group's value of each.
constexpr char16_t AlignGlyphs[] = {0xe236, 0xe234, 0xe237, 0xe235};
constexpr const char* AlignHints[] = {"Align Left", "Align Center", "Align Right", "Justify"};
constexpr const char* AlignNames[] = {"btnAlignLeft", "btnAlignCenter", "btnAlignRight",
                                      "btnJustify"};
constexpr std::uint8_t AlignValues[] = {0, 2, 1, 3};
// Top, middle, bottom.
constexpr char16_t VAlignGlyphs[] = {0xe25a, 0xe259, 0xe258};
constexpr const char* VAlignHints[] = {"Align Top", "Align Middle", "Align Bottom"};
constexpr const char* VAlignNames[] = {"btnAlignTop", "btnAlignMiddle", "btnAlignBottom"};
constexpr std::uint8_t VAlignValues[] = {0, 2, 1};

struct TagItem {
    const char* caption;
    const char* tag;
};
constexpr TagItem TagItems[] = {{"Time Elapsed\t\t00:00", "<$te>"},
                                {"Time Elapsed [ms]\t00:00:000", "<$tems>"},
                                {"Time Elapsed [h]\t\t00:00:00", "<$teh>"},
                                {"Time Remaining\t\t00:00", "<$tr>"},
                                {"Time Remaining [ms]\t00:00:000", "<$trms>"},
                                {"Time Remaining [h]\t00:00:00", "<$trh>"}};

QToolButton* GlyphToggle(char16_t glyph, const char* name, const char* hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setCheckable(true);
    button->setCursor(Qt::PointingHandCursor);
    QFont font(GlyphFontFamily);
    font.setPixelSize(Scaled(18, parent));
    button->setFont(font);
    button->setText(QString(QChar(glyph)));
    button->setFixedSize(Scaled(26, parent), Scaled(24, parent));
    return button;
}

QButtonGroup* Exclusive(QToolButton* const* buttons, int count, QObject* owner) {
    auto* group = new QButtonGroup(owner);
    for (int i = 0; i < count; ++i)
        group->addButton(buttons[i], i);
    return group;
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}

QColor FromTColor(TColor color) {
    return StopColor({color, 0, 1});
}

} // namespace

TFramePropText::TFramePropText(QWidget* parent)
    : TFramePropBase(undoText, parent),
      FBrush(new TRBrushControls(Container(), {brsSolid, brsGradientLinear, brsGradientRadial,
                                               brsMediaLibrary, brsEraseBackGround})),
      FSize(new TRGPEditEx(Container())), FBitmaps(new QComboBox(Container())),
      FFontLabel(new QLabel("Font", Container())), FFont(new QFontComboBox(Container())),
      FStyleLabel(new QLabel("Style", Container())),
      FUnderlineColor(new TRColorButton(Container())), FStrikeColor(new TRColorButton(Container())),
      FAlignLabel(new QLabel("Alignment", Container())),
      FWordWrap(GlyphToggle(0xe25b, "btnww", "Word Wrap", Container())),
      FText(new QPlainTextEdit(Container())), FOutlineLabel(new QLabel("Outline", Container())),
      FOutlineColor(new TRColorButton(Container())),
      FOutlineSize(new QSlider(Qt::Horizontal, Container())), FAddTag(new QToolButton(Container())),
      FTags(new QMenu(this)) {
    setObjectName("TFramePropText");
    resize(Scaled(451, this), Scaled(340, this));
    Panel()->setObjectName("panelText");
    Panel()->SetCaption("Text");
    auto* fill = new QLabel("Fill", Container());
    fill->setObjectName("lbcolor");
    fill->move(Scaled(20, this), Scaled(6, this));
    FSize->setObjectName("edSize");
    FSize->SetCaption("Size");
    FBitmaps->setObjectName("cbBitmaps");
    FFont->setObjectName("cbfontname");
    for (int i = 0; i < 4; ++i) {
        FStyles[i] = GlyphToggle(StyleGlyphs[i], StyleNames[i], StyleHints[i], Container());
        FAlignH[i] = GlyphToggle(AlignGlyphs[i], AlignNames[i], AlignHints[i], Container());
    }
    for (int i = 0; i < 3; ++i)
        FAlignV[i] = GlyphToggle(VAlignGlyphs[i], VAlignNames[i], VAlignHints[i], Container());
    Exclusive(FAlignH, 4, this);
    Exclusive(FAlignV, 3, this);
    FWordWrap->hide();
    FUnderlineColor->setObjectName("btnUnderlineColor");
    FUnderlineColor->setToolTip("Underline Color");
    FStrikeColor->setObjectName("btnStrikeColor");
    FStrikeColor->setToolTip("Strikethrough Color");
    FOutlineColor->setObjectName("btnOutlineColor");
    FOutlineColor->setToolTip("Outline Color");
    FOutlineSize->setObjectName("edOutlineSize");
    FOutlineSize->setToolTip("Outline Width");
    FOutlineSize->setRange(0, 70);
    FText->setObjectName("edText");
    FAddTag->setObjectName("btnAddTag");
    FAddTag->setText("Add Variable");
    FAddTag->setToolTip("Add Variable");
    FAddTag->setPopupMode(QToolButton::InstantPopup);
    FAddTag->setMenu(FTags);
    FTags->setObjectName("pmTags");
    FBrush->SetStyleVisible(brsEraseBackGround, false);

    const auto changed = [this] { PropertyChanged(); };
    connect(FBrush, &TRBrushControls::Changed, this, [this] {
        UpdateInterface();
        PropertyChanged();
    });
    connect(FSize, &TRGPEditEx::Changed, this, changed);
    connect(FBitmaps, &QComboBox::activated, this, changed);
    connect(FFont, &QFontComboBox::currentFontChanged, this, changed);
    for (QToolButton* button : FStyles)
        connect(button, &QToolButton::clicked, this, [this] {
            UpdateInterface();
            PropertyChanged();
        });
    for (QToolButton* button : FAlignH)
        connect(button, &QToolButton::clicked, this, changed);
    for (QToolButton* button : FAlignV)
        connect(button, &QToolButton::clicked, this, changed);
    connect(FOutlineColor, &TRColorButton::Changed, this, changed);
    connect(FOutlineSize, &QSlider::valueChanged, this, changed);
    connect(FText, &QPlainTextEdit::textChanged, this, changed);
    for (auto [button, usesText] :
         {std::pair{FUnderlineColor, &FUnderlineTC}, std::pair{FStrikeColor, &FStrikeTC}}) {
        // The gallery's first entry keeps the text's own fill instead of a colour.
        QAction* automatic = button->Gallery()->actions().constFirst();
        automatic->disconnect();
        automatic->setText("Use Text Color");
        automatic->setCheckable(true);
        connect(automatic, &QAction::triggered, this, [this, usesText = usesText] {
            *usesText = true;
            PropertyChanged();
        });
        connect(button, &TRColorButton::Changed, this, [this, usesText = usesText] {
            if (Loading())
                return;
            *usesText = false;
            PropertyChanged();
        });
    }
}

void TFramePropText::Init() {
    FSize->SetMinMaxValues(14, 192);
    FSize->SetDefaultValue(32);
    FSize->SetSnapValues({14, 32, 64, 96, 192});
    FSize->SetSnapDelta(5);
    FSize->SetAnimate(true);
    FTags->clear();
    for (int i = 0; i < 6; ++i) {
        QAction* item = FTags->addAction(TagItems[i].caption);
        item->setData(i + 1);
        connect(item, &QAction::triggered, this, [this, i] { InsertTag(i + 1); });
    }
    SetContainerHeight(Scaled(310, this));
    TFramePropBase::Init();
    Panel()->SetChecked(false);
    Panel()->SetExpanded(false);
    PanelResize();
    LayoutControls();
}

void TFramePropText::InitForObjectType(TRObjectType objectType) {
    FBrush->SetStyleVisible(brsEraseBackGround, objectType == otText);
}

QString TFramePropText::TimeVariable(int index) {
    return index >= 1 && index <= 6 ? QString::fromLatin1(TagItems[index - 1].tag) : QString();
}

void TFramePropText::InsertTag(int index) {
    FText->textCursor().insertText(TimeVariable(index));
}

TRPropText* TFramePropText::Group() const {
    return dynamic_cast<TRPropText*>(FProperty);
}

void TFramePropText::PopulateBitmaps() {
    FBitmaps->clear();
    TRProject* project = FObject ? FObject->Project() : nullptr;
    if (!ActiveProject() || !project || !FProperty)
        return;
    TRMediaObjectsArray media;
    project->GetMediaObjectsArray(FObject, media);
    for (const TRMediaObject& object : media)
        FBitmaps->addItem(object.ObjectName, QVariantList{int(object.ObjectType), object.ObjectId});
}

void TFramePropText::LoadControls() {
    const TRPropText* group = Group();
    if (!group)
        return;
    if (UpdateTextLayoutEnabled)
        UpdateTextLayoutEnabled(Panel()->Checked());
    FBrush->SetStyle(group->FBrushStyle);
    PopulateBitmaps();
    FBrush->SetStyleEnabled(brsMediaLibrary, FBitmaps->count() > 0);
    FBitmaps->setCurrentIndex(
        FBitmaps->findData(QVariantList{int(group->MediaType()), group->MediaId()}));
    FBrush->Load(group->FRotation, group->FColors);
    FFont->setCurrentFont(QFont(group->FFontName));
    FShownFont = FFont->currentFont().family();
    FSize->SetValue(group->FFontSize);
    const bool styles[] = {group->FBold, group->FItalic, group->FUnderline, group->FStrike};
    for (int i = 0; i < 4; ++i)
        FStyles[i]->setChecked(styles[i]);
    FWordWrap->setChecked(group->FWordWrap);
    FUnderlineColor->SetColor(FromTColor(group->FUnderlineColor));
    FStrikeColor->SetColor(FromTColor(group->FStrikeColor));
    FUnderlineTC = group->FUnderlineTC;
    FStrikeTC = group->FStrikeTC;
    FOutlineColor->SetColor(FromTColor(group->FOutlineColor));
    FOutlineSize->setValue(static_cast<int>(std::trunc(group->FOutlineSize)));
    FText->setPlainText(group->FText);
    for (int i = 0; i < 4; ++i)
        FAlignH[i]->setChecked(AlignValues[i] == group->FAlignmentH);
    for (int i = 0; i < 3; ++i)
        FAlignV[i]->setChecked(VAlignValues[i] == group->FAlignmentV);
    UpdateInterface();
}

void TFramePropText::SaveControls() {
    TRPropText* group = Group();
    if (!group)
        return;
    if (UpdateTextLayoutEnabled)
        UpdateTextLayoutEnabled(Panel()->Checked());
    group->FBrushStyle = FBrush->Style();
    group->FRotation = FBrush->Rotation();
    // A family the system substitutes stays as stored until the user picks another.
    if (FFont->currentFont().family() != FShownFont)
        group->FFontName = FFont->currentFont().family();
    group->FFontSize = static_cast<float>(FSize->Value());
    group->FBold = FStyles[0]->isChecked();
    group->FItalic = FStyles[1]->isChecked();
    group->FUnderline = FStyles[2]->isChecked();
    group->FStrike = FStyles[3]->isChecked();
    group->FWordWrap = FWordWrap->isChecked();
    group->FOutlineColor = ToTColor(FOutlineColor->Color());
    group->FOutlineSize = static_cast<float>(FOutlineSize->value());
    group->FText = FText->toPlainText();
    group->FUnderlineColor = ToTColor(FUnderlineColor->Color());
    group->FUnderlineTC = FUnderlineTC;
    group->FStrikeColor = ToTColor(FStrikeColor->Color());
    group->FStrikeTC = FStrikeTC;
    if (FBitmaps->currentIndex() >= 0) {
        const QVariantList source = FBitmaps->currentData().toList();
        if (source.size() == 2)
            group->SetMediaSource(static_cast<TRObjectType>(source[0].toInt()), source[1].toInt());
    }
    for (int i = 0; i < 4; ++i)
        if (FAlignH[i]->isChecked())
            group->FAlignmentH = AlignValues[i];
    for (int i = 0; i < 3; ++i)
        if (FAlignV[i]->isChecked())
            group->FAlignmentV = VAlignValues[i];
    FBrush->Save(group->FColors);
    UpdateInterface();
}

void TFramePropText::UpdateInterface() {
    const TRBrushStyle style = FBrush->Style();
    const bool decorations = style != brsEraseBackGround;
    FStyles[2]->setVisible(decorations);
    FStyles[3]->setVisible(decorations);
    FUnderlineColor->setVisible(decorations && FStyles[2]->isChecked());
    FStrikeColor->setVisible(decorations && FStyles[3]->isChecked());
    FOutlineColor->setVisible(FOutlineSize->value() > 0);
    FBrush->UpdateInterface();
    FBitmaps->setVisible(style == brsMediaLibrary);
    for (auto [button, usesText] :
         {std::pair{FUnderlineColor, FUnderlineTC}, std::pair{FStrikeColor, FStrikeTC}})
        button->Gallery()->actions().constFirst()->setChecked(usesText);
}

void TFramePropText::resizeEvent(QResizeEvent* event) {
    TFramePropBase::resizeEvent(event);
    LayoutControls();
}

void TFramePropText::LayoutControls() {
    const int left = Scaled(20, this), row = Scaled(28, this), height = Scaled(24, this);
    const int gap = Scaled(4, this), labelWidth = Scaled(70, this);
    const int right = width() - left, fieldLeft = left + labelWidth;
    Container()->resize(width(), Container()->height());
    int top = gap;
    FBrush->Layout(fieldLeft, top, right);
    const int brushRight = FBrush->TypeButton()->geometry().right() + Scaled(5, this) + 1;
    FBitmaps->setGeometry(brushRight, top, right - brushRight, height);
    top += row;
    FSize->setGeometry(left, top, right - left, height);
    top += row;
    FFontLabel->setGeometry(left, top, labelWidth, height);
    FFont->setGeometry(fieldLeft, top, right - fieldLeft, height);
    top += row;
    FStyleLabel->setGeometry(left, top, labelWidth, height);
    int x = fieldLeft;
    for (int i = 0; i < 4; ++i) {
        FStyles[i]->move(x, top);
        x += FStyles[i]->width() + gap;
        if (i == 2) {
            FUnderlineColor->move(x, top);
            x += FUnderlineColor->width() + gap * 2;
        }
    }
    FStrikeColor->move(x, top);
    top += row;
    FAlignLabel->setGeometry(left, top, labelWidth, height);
    x = fieldLeft;
    for (QToolButton* button : FAlignH) {
        button->move(x, top);
        x += button->width() + gap;
    }
    x += gap * 3;
    for (QToolButton* button : FAlignV) {
        button->move(x, top);
        x += button->width() + gap;
    }
    top += row;
    FOutlineLabel->setGeometry(left, top, labelWidth, height);
    FOutlineColor->move(right - FOutlineColor->width(), top);
    FOutlineSize->setGeometry(fieldLeft, top, right - fieldLeft - FOutlineColor->width() - gap,
                              height);
    top += row;
    FText->setGeometry(left, top, right - left, Scaled(92, this));
    top += Scaled(92, this) + gap;
    FAddTag->setGeometry(right - Scaled(110, this), top, Scaled(110, this), height);
    PanelResize();
}
