#include "properties/ui/URGalleryMenu.h"

#include "core/ui/URStyle.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int ImageIndexRole = Qt::UserRole;

} // namespace

TRGalleryMenu::TRGalleryMenu(QWidget* parent)
    : QFrame(parent, Qt::Popup), FList(new QListWidget(this)) {
    setObjectName("TRGalleryMenu");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(FList);
    FList->setViewMode(QListView::IconMode);
    FList->setMovement(QListView::Static);
    FList->setResizeMode(QListView::Adjust);
    FList->setSelectionMode(QAbstractItemView::SingleSelection);
    FList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FList->setIconSize(QSize(Scaled(24, this), Scaled(20, this)));
    FList->setGridSize(QSize(Scaled(34, this), Scaled(30, this)));
    FList->setMouseTracking(true);
    connect(FList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Choose(FList->row(item)); });
}

void TRGalleryMenu::SetColumns(int columns) {
    FColumns = qMax(1, columns);
    FitSize();
}

void TRGalleryMenu::SetImages(const QList<QIcon>* images) {
    FImages = images;
    for (int i = 0; i < FList->count(); ++i) {
        QListWidgetItem* item = FList->item(i);
        const int index = item->data(ImageIndexRole).toInt();
        item->setIcon(FImages && index >= 0 && index < FImages->size() ? FImages->at(index)
                                                                       : QIcon());
    }
}

void TRGalleryMenu::Clear() {
    FList->clear();
    FitSize();
}

void TRGalleryMenu::AddItem(int imageIndex, const QString& hint) {
    auto* item = new QListWidgetItem(FList);
    item->setData(ImageIndexRole, imageIndex);
    item->setToolTip(hint);
    item->setSizeHint(FList->gridSize());
    if (FImages && imageIndex >= 0 && imageIndex < FImages->size())
        item->setIcon(FImages->at(imageIndex));
    FitSize();
}

int TRGalleryMenu::ItemCount() const {
    return FList->count();
}

int TRGalleryMenu::ImageIndex(int item) const {
    const QListWidgetItem* it = FList->item(item);
    return it ? it->data(ImageIndexRole).toInt() : -1;
}

QString TRGalleryMenu::Hint(int item) const {
    const QListWidgetItem* it = FList->item(item);
    return it ? it->toolTip() : QString();
}

int TRGalleryMenu::SelectedIndex() const {
    return FList->currentRow();
}

void TRGalleryMenu::SetSelectedIndex(int item) {
    FList->setCurrentRow(item);
}

void TRGalleryMenu::Popup(const QPoint& globalPos) {
    FitSize();
    move(globalPos);
    show();
    FList->setFocus();
}

void TRGalleryMenu::Choose(int item) {
    if (item < 0 || item >= FList->count())
        return;
    SetSelectedIndex(item);
    hide();
    Q_EMIT Changed();
}

void TRGalleryMenu::FitSize() {
    const QSize cell = FList->gridSize();
    const int rows = qMax(1, (FList->count() + FColumns - 1) / FColumns);
    const int frame = 2 * FList->frameWidth();
    FList->setFixedSize(cell.width() * FColumns + frame + 2, cell.height() * rows + frame + 2);
    setFixedSize(sizeHint());
}
