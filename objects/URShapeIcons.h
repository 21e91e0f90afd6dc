#pragma once
// The icons of the shape galleries: every catalogue kind drawn with its own outline, so a
// gallery shows exactly what the kind draws.

#include <QColor>
#include <QIcon>
#include <QList>

// Appends one `width` x `height` icon per catalogue row, in row order, to `list` (so an icon's
// index is its kind's row when the list starts empty). Filled icons fill the outline in
// half-transparent white and border it; "Line" and "Arrow", and every icon of an outlined list,
// are only bordered. The background is opaque `back`. Draws with the shared device context;
// adds nothing when there is none or a bitmap cannot be made.
void RenderShapeIcons(QList<QIcon>& list, int width, int height, bool filled, QColor back);
