#include "core/ui/URDimmer.h"

#include <QEvent>
#include <QPainter>

namespace {

// Covers its parent's whole client area with translucent black and follows its size.
class TDimOverlay : public QWidget {
public:
    explicit TDimOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(parent->rect());
        parent->installEventFilter(this);
        raise();
        show();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 110));
    }
};

} // namespace

TRDimmer::TRDimmer(QWidget* window) {
    if (window)
        FOverlay = new TDimOverlay(window);
}

TRDimmer::~TRDimmer() {
    delete FOverlay.data();
}
