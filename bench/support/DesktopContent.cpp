#include "bench/support/DesktopContent.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace {

constexpr int ScrollPerFrame = 3;
constexpr int DragX = 11;
constexpr int DragY = 5;

const char* const Words[] = {"the",     "screen",   "recorder", "captures", "windows", "while",
                             "editing", "timeline", "clips",    "and",      "sound",   "of",
                             "a",       "project",  "export",   "frames",   "quickly", "with",
                             "text",    "cursor",   "zoom",     "callout",  "video",   "audio"};

// Fonts need a GUI application; benchmarks run without a display.
void ensureApplication() {
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

// Lines of anti-aliased words, a heading every few paragraphs.
void writeText(QPainter& painter, const QRect& area, int seed) {
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(30, 30, 36));
    QFont body(QStringLiteral("Sans"));
    body.setPixelSize(14);
    QFont heading = body;
    heading.setPixelSize(20);
    heading.setBold(true);
    unsigned state = unsigned(seed) * 2654435761u + 1;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int y = area.top() + 24, line = 0; y < area.bottom(); ++line) {
        const bool isHeading = line % 14 == 0;
        painter.setFont(isHeading ? heading : body);
        QString text;
        for (int n = 0; text.size() < (isHeading ? 30 : area.width() / 8); ++n)
            text += QString::fromLatin1(Words[next() % std::size(Words)]) + u' ';
        painter.drawText(QPoint(area.left() + 16, y), text);
        y += isHeading ? 34 : 20;
    }
}

QImage titledWindow(int width, int height, const QColor& title, int seed) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(250, 250, 248));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(0, 0, width, 30, title);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(14);
    painter.setFont(font);
    painter.drawText(QPoint(12, 20), QStringLiteral("Notes - draft %1").arg(seed));
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(0, 0, width - 1, height - 1);
    writeText(painter, QRect(0, 30, width, height - 30), seed);
    return image;
}

} // namespace

DesktopContent::DesktopContent(int width, int height) : width_(width), height_(height) {
    ensureApplication();
    desktop_ = QImage(width, height, QImage::Format_ARGB32);
    {
        QPainter painter(&desktop_);
        QLinearGradient sky(0, 0, width, height);
        sky.setColorAt(0, QColor(40, 70, 120));
        sky.setColorAt(1, QColor(120, 60, 110));
        painter.fillRect(desktop_.rect(), sky);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 8; ++i) {
            painter.setBrush(QColor::fromHsv(i * 45, 160, 230));
            painter.drawRoundedRect(24, 24 + i * 90, 56, 56, 10, 10);
        }
        painter.fillRect(0, height - 40, width, 40, QColor(28, 28, 32));
        page_ = QRect(width / 8, height / 10 + 30, width / 2, height * 7 / 10);
        painter.fillRect(page_.adjusted(0, -30, 0, 0), QColor(60, 90, 160));
    }
    document_ = QImage(page_.width(), page_.height() * 4, QImage::Format_ARGB32);
    document_.fill(Qt::white);
    {
        QPainter painter(&document_);
        writeText(painter, document_.rect(), 1);
    }
    window_ = titledWindow(width / 3, height / 3, QColor(30, 120, 80), 2);
}

void DesktopContent::frame(int index, uint8_t* out) const {
    const size_t pitch = size_t(width_) * 4;
    for (int y = 0; y < height_; ++y)
        std::memcpy(out + y * pitch, desktop_.constScanLine(y), pitch);
    const int scroll = (index * ScrollPerFrame) % (document_.height() - page_.height());
    for (int y = 0; y < page_.height(); ++y)
        std::memcpy(out + (page_.top() + y) * pitch + size_t(page_.left()) * 4,
                    document_.constScanLine(scroll + y), size_t(page_.width()) * 4);
    // The dragged window bounces between the screen's edges.
    const auto bounce = [](int travel, int range) {
        const int phase = travel % (2 * range);
        return phase < range ? phase : 2 * range - phase;
    };
    const int left = bounce(index * DragX, width_ - window_.width());
    const int top = bounce(index * DragY, height_ - 40 - window_.height());
    for (int y = 0; y < window_.height(); ++y)
        std::memcpy(out + (top + y) * pitch + size_t(left) * 4, window_.constScanLine(y),
                    size_t(window_.width()) * 4);
}

std::vector<uint8_t> DesktopContent::frame(int index) const {
    std::vector<uint8_t> out(size_t(width_) * size_t(height_) * 4);
    frame(index, out.data());
    return out;
}
