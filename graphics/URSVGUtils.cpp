#include "graphics/URSVGUtils.h"

#include "graphics/URDX12Base.h"

#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <mutex>

namespace {

// The leading number of a length ("120", "120.5px"); 0 when there is none.
float LengthValue(QStringView text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text.toString());
    return match.hasMatch() ? match.captured(1).toFloat() : 0;
}

struct RootSize {
    float width = 0, height = 0;
    float viewBoxWidth = 0, viewBoxHeight = 0;
};

RootSize ReadRootSize(const QByteArray& document) {
    RootSize size;
    QXmlStreamReader xml(document);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement())
        return size;
    const QXmlStreamAttributes attributes = xml.attributes();
    size.width = LengthValue(attributes.value(QLatin1String("width")));
    size.height = LengthValue(attributes.value(QLatin1String("height")));
    const QStringList box =
        attributes.value(QLatin1String("viewBox"))
            .toString()
            .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    if (box.size() == 4) {
        size.viewBoxWidth = box[2].toFloat();
        size.viewBoxHeight = box[3].toFloat();
    }
    return size;
}

} // namespace

bool IsSVGSupported() {
    return true;
}

TD2DSVG::TD2DSVG() = default;
TD2DSVG::~TD2DSVG() = default;

bool TD2DSVG::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    LoadFromStream(file);
    return true;
}

void TD2DSVG::LoadFromStream(QIODevice& stream) {
    const QByteArray document = stream.readAll();
    fSvgDoc = std::make_unique<QSvgRenderer>(document);
    if (!fSvgDoc->isValid()) {
        fSvgDoc.reset();
        return;
    }
    const RootSize root = ReadRootSize(document);
    if (root.width > 0)
        fWidth = root.width;
    if (root.height > 0)
        fHeight = root.height;
    if (fWidth <= 0)
        fWidth = std::max(0.f, root.viewBoxWidth);
    if (fHeight <= 0)
        fHeight = std::max(0.f, root.viewBoxHeight);
}

void TD2DSVG::Draw() const {
    if (!fSvgDoc || !(fWidth > 0) || !(fHeight > 0) || !D2DContext)
        return;
    const QRectF viewport(0, 0, fWidth, fHeight);
    // The context may paint in bands on several threads; the document renders one at a time.
    std::mutex mutex;
    D2DContext->paintWith(platform::render::RectF::fromQRectF(viewport), [&](QPainter& painter) {
        const std::lock_guard lock(mutex);
        fSvgDoc->render(&painter, viewport);
    });
}
