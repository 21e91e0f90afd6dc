#include "properties/ui/URShapeImageLists.h"

#include "objects/URShapeIcons.h"

#include <QApplication>
#include <QPalette>

TRShapeImageLists& ShapeImageLists() {
    static TRShapeImageLists lists;
    return lists;
}

void CreateShapeIcons() {
    TRShapeImageLists& lists = ShapeImageLists();
    const QPalette palette = QApplication::palette();
    const QColor face = palette.color(QPalette::Button);
    const QColor window = palette.color(QPalette::Window);
    RenderShapeIcons(lists.ShapeIconImageList, 20, 14, true, face);
    RenderShapeIcons(lists.ShapeSketchImageList, 20, 14, false, face);
    RenderShapeIcons(lists.ShapeIconLargeList, 24, 20, true, window);
    RenderShapeIcons(lists.ShapeSketchLargeList, 24, 20, false, window);
}
