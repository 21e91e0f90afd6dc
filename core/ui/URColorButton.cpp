#include "core/ui/URColorButton.h"

#include "core/ui/URStyle.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QWidgetAction>

namespace {

TRColorChooser& InstalledChooser() {
    static TRColorChooser chooser;
    return chooser;
}

QColor DialogColor(const QColor& initial, QWidget* parent) {
    // One dialog for the whole program: its custom colours stay between uses.
    static QColorDialog* dialog = nullptr;
    if (!dialog) {
        dialog = new QColorDialog;
        dialog->setWindowTitle("Colors");
        dialog->setOption(QColorDialog::ShowAlphaChannel, false);
    }
    dialog->setParent(parent, Qt::Dialog);
    dialog->setCurrentColor(initial);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    dialog->setParent(nullptr, Qt::Dialog);
    return accepted ? dialog->selectedColor() : QColor();
}

// A swatch of the gallery.
class TSwatch : public QToolButton {
public:
    TSwatch(QColor color, QWidget* parent) : QToolButton(parent), FColor(color) {
        setFixedSize(Scaled(18, this), Scaled(18, this));
        setAutoRaise(true);
        setToolTip(color.name().toUpper());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect face = rect().adjusted(2, 2, -2, -2);
        painter.fillRect(face, FColor);
        painter.setPen(underMouse() ? QColor(TRStyleColors::HighlightText)
                                    : WithAlpha(TRStyleColors::Text, 60));
        painter.drawRect(face.adjusted(0, 0, -1, -1));
    }

private:
    QColor FColor;
};

} // namespace

QColor ChooseSharedColor(const QColor& initial, QWidget* parent) {
    const auto& chooser = InstalledChooser();
    return chooser ? chooser(initial, parent) : DialogColor(initial, parent);
}

void InstallColorChooser(TRColorChooser chooser) {
    InstalledChooser() = std::move(chooser);
}

const QList<QRgb>& TRColorButton::GalleryColors() {
    static const QList<QRgb> colors{
        0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31, 0xA5A5A5, 0xFFC000,
        0xF2F2F2, 0x7F7F7F, 0xD0CECE, 0xD6DCE4, 0xD9E2F3, 0xFBE5D5, 0xEDEDED, 0xFFF2CC,
        0xD8D8D8, 0x595959, 0xAEABAB, 0xADB9CA, 0xB4C6E7, 0xF7CBAC, 0xDBDBDB, 0xFEE599,
        0xC00000, 0xFF0000, 0xFFC000, 0xFFFF00, 0x92D050, 0x00B050, 0x00B0F0, 0x7030A0,
    };
    return colors;
}

TRColorButton::TRColorButton(QWidget* parent) : QToolButton(parent), FGallery(new QMenu(this)) {
    setCursor(Qt::PointingHandCursor);
    setFixedSize(Scaled(40, this), Scaled(22, this));
    setPopupMode(QToolButton::InstantPopup);
    QAction* automatic = FGallery->addAction("Automatic");
    connect(automatic, &QAction::triggered, this, [this] { SetColor(FAutomaticColor); });
    FGallery->addSeparator();
    auto* swatches = new QWidgetAction(FGallery);
    swatches->setDefaultWidget(BuildSwatches());
    FGallery->addAction(swatches);
    FGallery->addSeparator();
    QAction* more = FGallery->addAction("More colors...");
    connect(more, &QAction::triggered, this, &TRColorButton::MoreColors);
    setMenu(FGallery);
}

QWidget* TRColorButton::BuildSwatches() {
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(Scaled(8, this), Scaled(2, this), Scaled(8, this), Scaled(2, this));
    layout->setSpacing(0);
    const auto& colors = GalleryColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto* swatch = new TSwatch(QColor(colors[i]), grid);
        connect(swatch, &QToolButton::clicked, this, [this, color = colors[i]] {
            FGallery->close();
            SetColor(QColor(color));
        });
        layout->addWidget(swatch, i / 8, i % 8);
    }
    return grid;
}

void TRColorButton::SetColor(const QColor& color) {
    if (!color.isValid() || color == FColor)
        return;
    FColor = color;
    update();
    Q_EMIT Changed();
}

void TRColorButton::MoreColors() {
    SetColor(ChooseSharedColor(FColor, window()));
}

void TRColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(
        underMouse() ? QColor(TRStyleColors::Highlight) : WithAlpha(TRStyleColors::Text, 90), 1));
    painter.setBrush(isEnabled() ? FColor : FColor.darker(200));
    painter.drawRoundedRect(face, 3, 3);
}
