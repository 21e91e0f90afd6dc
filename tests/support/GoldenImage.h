#pragma once
// Golden images of forms and widgets: written once with TAVRIN_UPDATE_GOLDEN=1 and looked at,
// later compared channel by channel. TAVRIN_GALLERY_DIR keeps a copy of every picture taken.

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

// The largest difference of one colour channel between two images of one size.
inline int WorstChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// Compares `image` with the golden image `folder/name` (or writes it when asked to).
inline void ExpectGolden(const QImage& image, const QString& folder, const QString& name) {
    const QString keep = qEnvironmentVariable("TAVRIN_GALLERY_DIR");
    if (!keep.isEmpty())
        image.save(QDir(keep).filePath(name));
    const QString path = QDir(folder).filePath(name);
    if (qEnvironmentVariableIsSet("TAVRIN_UPDATE_GOLDEN")) {
        ASSERT_TRUE(image.save(path)) << path.toStdString();
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), image.size()) << name.toStdString();
    EXPECT_LE(WorstChannelDifference(image.convertToFormat(QImage::Format_RGB32), golden), 8)
        << name.toStdString();
}

// Renders a widget at a device pixel ratio.
inline QImage RenderWidget(QWidget& widget, qreal ratio) {
    QImage image(widget.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}
