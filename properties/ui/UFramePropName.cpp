#include "properties/ui/UFramePropName.h"

#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "core/ui/URGlyphButton.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int NameHeight = 31;
constexpr int InfoHeight = 25;
constexpr int TabsHeight = 45;
constexpr int ButtonWidth = 36;
constexpr int ButtonHeight = 35;
constexpr int RecordingButtonWidth = 32;

QWidget* Panel(const char* name, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

} // namespace

QScrollArea* NewFrameColumn(const QString& objectName) {
    auto* page = new QScrollArea;
    page->setObjectName(objectName);
    page->setFrameShape(QFrame::NoFrame);
    page->setWidgetResizable(true);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    page->setWidget(column);
    return page;
}

QVBoxLayout* FrameColumnLayout(QScrollArea* column) {
    return column ? static_cast<QVBoxLayout*>(column->widget()->layout()) : nullptr;
}

namespace {

// The hints of the category tabs 1..11.
const char* const CategoryHints[12] = {
    "",       "Placement",       "Zoom & Flip", "Cursor",      "Fill & Border", "Text",
    "Source", "Color & Effects", "Sketch",      "Transitions", "Interactivity", "Volume"};

// Only objects that sit on the canvas can be hidden.
bool CanHide(TRObject& object) {
    return object.ObjectType() != otProject && object.GetProperty(ptPlacement, true) != nullptr;
}

} // namespace

int ObjectKindGlyph(TRObjectType type) {
    switch (type) {
    case otShape:
        return GlyphKindShape;
    case otImage:
        return GlyphKindImage;
    case otVideo:
        return GlyphKindVideo;
    case otBlur:
        return GlyphKindVideoEffect;
    case otText:
        return GlyphKindText;
    case otAudio:
        return GlyphKindAudio;
    case otSketch:
        return GlyphKindSketch;
    case otZoomArea:
        return GlyphKindZoomArea;
    case otAudioTTS:
        return GlyphKindSpeech;
    case otTransition:
        return GlyphKindTransition;
    case otVideoAction:
        return GlyphKindVideoAction;
    case otKeystroke:
        return GlyphKindKeystroke;
    case otCaption:
        return GlyphKindCaption;
    default:
        return 0;
    }
}

TFramePropName::TFramePropName(QWidget* parent)
    : QWidget(parent), FPanelName(Panel("panelName", this)), FIcon(new TRGlyphImage(0, FPanelName)),
      FIconRecord(new TRGlyphImage(GlyphRecording, FPanelName)), FName(new QLineEdit(FPanelName)),
      FVisibility(new TRGlyphButton(GlyphVisible, FPanelName)),
      FPanelInfo(Panel("panelInfo", this)), FCaption(new QLabel("Time Frame", FPanelInfo)),
      FInfo(new QLabel(FPanelInfo)), FPanelTabs(Panel("panelTabs", this)),
      FPages(new QStackedWidget(this)) {
    setObjectName("TFramePropName");
    setAutoFillBackground(true);
    resize(Scaled(451, this), Scaled(NameHeight + InfoHeight, this));
    FIcon->setObjectName("icon");
    FIconRecord->setObjectName("iconrecord");
    FName->setObjectName("edName");
    FName->setFont(StyleFont(10, true));
    FName->setAlignment(Qt::AlignCenter);
    FName->setFrame(false);
    FName->setStyleSheet("QLineEdit { background: transparent; border: none; }"
                         "QLineEdit:focus { background: #181D24; }");
    FVisibility->setObjectName("btnVisibility");
    FVisibility->setToolTip("Visibility");
    FCaption->setObjectName("lbcaption");
    FInfo->setObjectName("lbinfo");
    FInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    FCaption->setStyleSheet("color: #7D848C;");
    FPages->setObjectName("PagesCategories");
    for (int category = 1; category <= 11; ++category) {
        auto* button = new TRGlyphButton(GlyphCategory + category, FPanelTabs);
        button->setObjectName(QString("btnCat%1").arg(category));
        button->setToolTip(CategoryHints[category]);
        button->SetRadio(true);
        button->setFixedSize(Scaled(ButtonWidth, this), Scaled(ButtonHeight, this));
        button->hide();
        connect(button, &QAbstractButton::clicked, this,
                [this, category] { ShowCategory(category); });
        FButtons[category] = button;
    }
    connect(FName, &QLineEdit::textChanged, this, &TFramePropName::NameChange);
    connect(FVisibility, &QAbstractButton::clicked, this, &TFramePropName::VisibilityClick);
    FPanelTabs->hide();
    FPages->hide();
}

void TFramePropName::Init(TRObjectType objectType) {
    FObjectType = objectType;
    FNrCategories = 0;
    FCategories.fill(nullptr);
    int pressed = 0;
    if (objectType >= otProject && objectType <= otCaption) {
        for (int category = 0; category < CategoryCount; ++category) {
            TRGlyphButton* button = CategoryButton(category);
            if (!PropertyCategories[objectType][category]) {
                if (button)
                    button->hide();
                continue;
            }
            ++FNrCategories;
            FCategories[category] = NewFrameColumn(QString("Category%1").arg(category));
            FPages->addWidget(FCategories[category]);
            if (!button)
                continue;
            button->show();
            if (!pressed)
                pressed = category;
        }
    }
    if (pressed) {
        CategoryButton(pressed)->setChecked(true);
        ShowCategory(pressed);
    }
    FPanelTabs->hide();
    FPages->hide();
    LayoutPanels();
}

TRGlyphButton* TFramePropName::CategoryButton(int category) const {
    return category >= 0 && category < CategoryCount ? FButtons[category] : nullptr;
}

QScrollArea* TFramePropName::Category(int category) const {
    return category >= 0 && category < CategoryCount ? FCategories[category] : nullptr;
}

QVBoxLayout* TFramePropName::CategoryColumn(int category) const {
    return FrameColumnLayout(Category(category));
}

int TFramePropName::CurrentCategory() const {
    for (int category = 0; category < CategoryCount; ++category)
        if (FCategories[category] && FCategories[category] == FPages->currentWidget())
            return category;
    return 0;
}

void TFramePropName::ShowCategory(int category) {
    if (category < 1 || category > 11 || !FCategories[category])
        return;
    FPages->setCurrentWidget(FCategories[category]);
    if (TRGlyphButton* button = CategoryButton(category))
        button->setChecked(true);
}

int TFramePropName::NameInfoHeight() const {
    return Scaled(NameHeight + InfoHeight, this);
}

int TFramePropName::HeadHeight() const {
    return NameInfoHeight() + Scaled(TabsHeight, this);
}

void TFramePropName::SetLayout(int layoutType, int categoryHeight) {
    FLayout = layoutType == 1 && FNrCategories > 0 ? 1 : 0;
    FCategoryHeight = qMax(0, categoryHeight);
    FPanelTabs->setVisible(FLayout == 1);
    FPages->setVisible(FLayout == 1);
    setFixedHeight(FLayout == 1 ? HeadHeight() + FCategoryHeight : NameInfoHeight());
    LayoutPanels();
}

void TFramePropName::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutPanels();
}

void TFramePropName::LayoutPanels() {
    const int w = width();
    const int nameHeight = Scaled(NameHeight, this);
    const int infoHeight = Scaled(InfoHeight, this);
    const int margin = Scaled(10, this);
    FPanelName->setGeometry(0, 0, w, nameHeight);
    const int icon = Scaled(16, this);
    FIcon->setGeometry(margin, (nameHeight - icon) / 2, icon, icon);
    const int record = Scaled(20, this);
    FIconRecord->setGeometry(margin - Scaled(2, this), (nameHeight - record) / 2, record, record);
    const int button = FVisibility->width();
    FVisibility->move(w - margin - button, (nameHeight - FVisibility->height()) / 2);
    const int nameLeft = margin + record + Scaled(6, this);
    FName->setGeometry(nameLeft, Scaled(3, this), w - 2 * nameLeft, nameHeight - Scaled(6, this));
    FPanelInfo->setGeometry(0, nameHeight, w, infoHeight);
    FCaption->setGeometry(margin, 0, w / 2 - margin, infoHeight);
    FInfo->setGeometry(w / 2, 0, w / 2 - margin, infoHeight);
    FPanelTabs->setGeometry(0, nameHeight + infoHeight, w, Scaled(TabsHeight, this));
    FPages->setGeometry(0, HeadHeight(), w, FCategoryHeight);
    CenterButtons();
}

void TFramePropName::CenterButtons() {
    const int width =
        Scaled(FObjectType == otScreenRecorder ? RecordingButtonWidth : ButtonWidth, this);
    int x = 0;
    for (TRGlyphButton* button : FButtons)
        if (button && !button->isHidden())
            x += width;
    const int stripWidth = FPanelTabs->width();
    const int top = (FPanelTabs->height() - Scaled(ButtonHeight, this)) / 2;
    int left = x < stripWidth - 1 ? (stripWidth - x) / 2 : 0;
    for (TRGlyphButton* button : FButtons) {
        if (!button || button->isHidden())
            continue;
        // A video's last tab (its volume) reaches the strip's right edge.
        const bool last = FObjectType == otVideo && button == FButtons[11];
        button->setFixedWidth(last ? qMax(width, stripWidth - left) : width);
        button->move(left, top);
        left += width;
    }
}

void TFramePropName::ShowProperties(TRObject* object, TRPropBase*) {
    if (!object)
        return;
    FObject = object;
    FLoading = true;
    FName->setText(object->ObjectName());
    FInfo->setText(object->GetCurrentIndexTimeSpan());
    const bool project = object->ObjectType() == otProject;
    FName->setReadOnly(project);
    const bool canHide = CanHide(*object);
    FVisibility->setVisible(canHide);
    FVisibility->setChecked(object->Visibility());
    ShowVisibility(!canHide || object->Visibility());
    const bool recording = object->ObjectType() == otScreenRecorder;
    FIconRecord->setVisible(recording);
    FIcon->SetGlyphIndex(ObjectKindGlyph(object->ObjectType()));
    FIcon->setVisible(!project && !recording);
    FLoading = false;
}

void TFramePropName::ShowVisibility(bool visible) {
    FVisibility->SetGlyphIndex(visible ? GlyphVisible : GlyphHidden);
    QFont font = FName->font();
    font.setStrikeOut(!visible);
    FName->setFont(font);
}

void TFramePropName::VisibilityClick() {
    ShowVisibility(FVisibility->isChecked());
    NameChange();
}

void TFramePropName::NameChange() {
    TRProject* project = EditorServices().ActiveProject();
    if (FLoading || !project || !FObject)
        return;
    FObject->SetObjectName(FName->text());
    if (CanHide(*FObject))
        FObject->SetVisibility(FVisibility->isChecked());
    // Renames and visibility switches are undone like every other edit.
    project->History_AddModify(FObject, undoName, undoIncrement);
    project->SetModified(true);
    EditorServices().RepaintScene();
}
