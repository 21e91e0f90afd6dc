#include "core/URXmlStream.h"

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
    if (FStepped)
        FReader.skipCurrentElement();
    FStepped = false;
    while (!FReader.atEnd()) {
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

QDomDocument TRXmlElementStream::Take() {
    FStepped = false;
    QDomDocument document;
    QDomElement root = NewElement(document, FRootName, FRootAttributes);
    document.appendChild(root);
    QDomElement parent = root;
    for (int depth = 0;;) {
        switch (FReader.tokenType()) {
        case QXmlStreamReader::StartElement:
            if (FDepth + ++depth > FMaxDepth) {
                FTooDeep = true;
                return {};
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
            break;
    }
    return document;
}

bool TRXmlElementStream::Finish() {
    if (FStepped)
        FReader.skipCurrentElement();
    FStepped = false;
    while (!Failed() && !FReader.atEnd())
        FReader.readNext();
    return !Failed();
}
