#pragma once
// A gallery that drops down under a button: a grid of icons in a fixed number of columns, each
// item with an image index into an image list and a hint, the selected item marked. Choosing an
// item selects it, closes the gallery and reports Changed().

#include <QFrame>
#include <QIcon>
#include <QList>

class QListWidget;

class TRGalleryMenu : public QFrame {
    Q_OBJECT
public:
    explicit TRGalleryMenu(QWidget* parent = nullptr);

    void SetColumns(int columns);
    // The icons the items' image indices refer to (not owned; null for none).
    void SetImages(const QList<QIcon>* images);
    void Clear();
    void AddItem(int imageIndex, const QString& hint);
    int ItemCount() const;
    int ImageIndex(int item) const;
    QString Hint(int item) const;
    // -1 when nothing is selected. Selecting by program reports nothing.
    int SelectedIndex() const;
    void SetSelectedIndex(int item);
    // Shows the gallery with its top-left corner at `globalPos`.
    void Popup(const QPoint& globalPos);
    // Chooses an item as a click does.
    void Choose(int item);
    QListWidget* List() const { return FList; }

Q_SIGNALS:
    void Changed();

private:
    void FitSize();

    QListWidget* FList;
    const QList<QIcon>* FImages = nullptr;
    int FColumns = 5;
};
