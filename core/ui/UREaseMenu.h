#pragma once
// The menu of easing curves: Linear, then the ten families (Back, Bounce, Circ, Cubic, Elastic,
// Expo, Quad, Quart, Quint, Sine) each with its In, Out and InOut items. Every item carries its
// curve identifier (0..28); a checked item checks its family too.

#include <QMenu>
#include <functional>

// Fills `menu`; `chosen` runs with the curve of the item the user picks.
void FillEaseMenu(QMenu& menu, const std::function<void(int)>& chosen);
// Checks the item of `ease` (outside 0..28: Linear) and its family, and no other.
void CheckEaseMenu(QMenu& menu, int ease);
// The curve of the checked item (Linear when none of the families has one).
int CheckedEase(const QMenu& menu);
