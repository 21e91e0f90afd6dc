#include "core/URXmlStream.h"

#include <utility>

namespace {

QDomElement NewElement(QDomDocument& document, const QString& name,
                       const QXmlStreamAttributes& attributes) {
    QDomElement element = document.createElement(name);
    for (const QXmlStreamAttribute& attribute : attributes)
        element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
    return element;
}

} // namespace

bool TRXmlElementStream::ReadRoot() {
    if (!FReader.readNextStartElement())
        return false;
    FRootName = Name();
    FRootAttributes = FReader.attributes();
    FDepth = 1;
    return true;
}

void TRXmlElementStream::Enter() {
    FStepped = false;
    ++FDepth;
}

bool TRXmlElementStream::NextChild() {
    if (Failed())
        return false;
    SkipStepped();
    while (!Failed() && !FReader.atEnd()) {
        switch (FReader.readNext()) {
        case QXmlStreamReader::StartElement:
            FStepped = true;
            return true;
        case QXmlStreamReader::EndElement:
            --FDepth;
            return false;
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return false;
}

QDomDocument TRXmlElementStream::NewRootCopy() const {
    QDomDocument document;
    document.appendChild(NewElement(document, FRootName, FRootAttributes));
    return document;
}

bool TRXmlElementStream::TakeStreamed(const TRStreamed& streamed, int baseDepth) {
    QDomDocument piece = NewRootCopy();
    if (!Build(piece, piece.documentElement(), baseDepth, nullptr))
        return false;
    streamed.Take(piece.documentElement().firstChildElement());
    return true;
}

bool TRXmlElementStream::Build(QDomDocument& document, QDomElement parent, int baseDepth,
                               const TRStreamed* streamed) {
    // Depth 1 is the element built, 2 its children, 3 the streamed grandchildren.
    constexpr int StreamedDepth = 3;
    for (int depth = 0;;) {
        switch (FReader.tokenType()) {
        case QXmlStreamReader::StartElement:
            if (baseDepth + ++depth > FMaxDepth) {
                FTooDeep = true;
                return false;
            }
            if (streamed && depth == StreamedDepth && parent.tagName() == streamed->Parent) {
                if (!TakeStreamed(*streamed, baseDepth + StreamedDepth - 1))
                    return false;
                --depth;
                break;
            }
            parent =
                parent.appendChild(NewElement(document, Name(), FReader.attributes())).toElement();
            break;
        case QXmlStreamReader::EndElement:
            parent = parent.parentNode().toElement();
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (!FReader.isWhitespace())
                parent.appendChild(document.createTextNode(FReader.text().toString()));
            break;
        default:
            break;
        }
        if (depth == 0 || FReader.atEnd() || FReader.readNext() == QXmlStreamReader::Invalid)
            return true;
    }
}

QDomDocument TRXmlElementStream::Take(const QString& streamedParent,
                                      const std::function<void(const QDomElement&)>& streamed) {
    FStepped = false;
    QDomDocument document = NewRootCopy();
    const TRStreamed streaming{streamedParent, streamed};
    if (!Build(document, document.documentElement(), FDepth,
               streamed && !streamedParent.isEmpty() ? &streaming : nullptr))
        return {};
    return document;
}

// Elements passed over are held to the same depth as those taken: a file nested a million deep
// is refused however it is read. Stops when the element open at `depth` (1: the one stepped to)
// closes, or with 0 at the end of the file.
void TRXmlElementStream::PassOver(int depth) {
    const bool toEnd = depth == 0;
    while ((toEnd || depth > 0) && !Failed() && !FReader.atEnd()) {
        switch (FReader.readNext()) {
        case QXmlStreamReader::StartElement:
            FTooDeep = FDepth + ++depth > FMaxDepth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
}

void TRXmlElementStream::SkipStepped() {
    if (std::exchange(FStepped, false))
        PassOver(1);
}

bool TRXmlElementStream::Finish() {
    SkipStepped();
    PassOver(0);
    return !Failed();
}
