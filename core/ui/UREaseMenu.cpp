#include "core/ui/UREaseMenu.h"

#include "core/UREasing.h"

namespace {

// The families of curves: their items' identifiers start at First (In, Out, then InOut).
struct EaseFamily {
    const char* Name;
    int First;
    int Count;
};
const EaseFamily EaseFamilies[] = {
    {"Back", ecBackIn, 3},   {"Bounce", ecBounceIn, 2},   {"Circ", ecCircIn, 3},
    {"Cubic", ecCubicIn, 3}, {"Elastic", ecElasticIn, 2}, {"Expo", ecExpoIn, 3},
    {"Quad", ecQuadIn, 3},   {"Quart", ecQuartIn, 3},     {"Quint", ecQuintIn, 3},
    {"Sine", ecSineIn, 3},
};

} // namespace

void FillEaseMenu(QMenu& menu, const std::function<void(int)>& chosen) {
    QAction* linear = menu.addAction("Linear");
    linear->setCheckable(true);
    linear->setData(int(ecLinear));
    QObject::connect(linear, &QAction::triggered, &menu, [chosen] { chosen(ecLinear); });
    for (const EaseFamily& family : EaseFamilies) {
        QMenu* sub = menu.addMenu(family.Name);
        sub->menuAction()->setCheckable(true);
        const char* parts[] = {"In", "Out", "InOut"};
        for (int i = 0; i < family.Count; ++i) {
            QAction* item = sub->addAction(parts[i]);
            item->setCheckable(true);
            item->setData(family.First + i);
            QObject::connect(item, &QAction::triggered, &menu,
                             [chosen, ease = family.First + i] { chosen(ease); });
        }
    }
}

void CheckEaseMenu(QMenu& menu, int ease) {
    if (ease < 0 || ease >= EaseCurveCount)
        ease = ecLinear;
    for (QAction* action : menu.actions()) {
        QMenu* sub = action->menu();
        if (!sub) {
            action->setChecked(ease == ecLinear);
            continue;
        }
        bool any = false;
        for (QAction* item : sub->actions()) {
            item->setChecked(item->data().toInt() == ease);
            any = any || item->isChecked();
        }
        action->setChecked(any);
    }
}

int CheckedEase(const QMenu& menu) {
    for (QAction* action : menu.actions())
        if (QMenu* sub = action->menu())
            for (QAction* item : sub->actions())
                if (item->isChecked())
                    return item->data().toInt();
    return ecLinear;
}
