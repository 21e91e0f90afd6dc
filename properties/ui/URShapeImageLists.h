#pragma once
// The editor's four shape image lists: small icons for the type buttons, large ones for the
// galleries, each filled (shape kinds) and outlined (sketch kinds).

#include <QIcon>
#include <QList>

struct TRShapeImageLists {
    QList<QIcon> ShapeIconImageList;   // 20 x 14, filled, on the button face
    QList<QIcon> ShapeSketchImageList; // 20 x 14, outlined, on the button face
    QList<QIcon> ShapeIconLargeList;   // 24 x 20, filled, on the window colour
    QList<QIcon> ShapeSketchLargeList; // 24 x 20, outlined, on the window colour
};

// The program's lists (empty until CreateShapeIcons runs).
TRShapeImageLists& ShapeImageLists();

// The editor's "Creating icons" step: appends every kind's icon to each of the four lists.
void CreateShapeIcons();
