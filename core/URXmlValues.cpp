#include "core/URXmlValues.h"

#include <QLocale>
#include <QXmlStreamWriter>
#include <cmath>
#include <limits>
#include <map>

QChar XmlDecimalSeparator(const QDomNode& node) {
    const QString decimal = (node.isDocument() ? node.toDocument() : node.ownerDocument())
                                .documentElement()
                                .attribute(QStringLiteral("Decimal"));
    return decimal.size() == 1 ? decimal.at(0) : QChar('.');
}

QChar SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 ? point.at(0) : QChar('.');
}

QString FloatToText(double value, QChar separator) {
    QString text = QString::number(value, 'g', 15);
    if (separator != QChar('.'))
        text.replace(QChar('.'), separator);
    return text;
}

bool TextToFloat(const QString& text, QChar separator, double& value) {
    QString plain = text.trimmed();
    if (separator != QChar('.'))
        plain.replace(separator, QChar('.'));
    bool ok = false;
    const double parsed = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool TextToInt(const QString& text, std::int32_t& value) {
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (ok)
        value = parsed;
    return ok;
}

bool TextToBool(const QString& text, bool& value) {
    const QString word = text.trimmed();
    if (word.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) {
        value = true;
        return true;
    }
    if (word.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) {
        value = false;
        return true;
    }
    std::int32_t number = 0;
    if (!TextToInt(word, number))
        return false;
    value = number != 0;
    return true;
}

namespace {

QDomDocument OwnerDocument(const QDomNode& node) {
    return node.isDocument() ? node.toDocument() : node.ownerDocument();
}

} // namespace

QDomElement XmlAppendChild(QDomNode parent, const QString& name) {
    QDomElement child = OwnerDocument(parent).createElement(name);
    parent.appendChild(child);
    return child;
}

void XmlSetInt(QDomElement& element, const QString& name, std::int32_t value) {
    element.setAttribute(name, QString::number(value));
}

void XmlSetBool(QDomElement& element, const QString& name, bool value) {
    element.setAttribute(name, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void XmlSetFloat(QDomElement& element, const QString& name, double value) {
    element.setAttribute(name, FloatToText(value, XmlDecimalSeparator(element)));
}

void XmlSetText(QDomElement& element, const QString& name, const QString& value) {
    element.setAttribute(name, value);
}

bool XmlReadInt(const QDomElement& element, const QString& name, std::int32_t& value) {
    return element.hasAttribute(name) && TextToInt(element.attribute(name), value);
}

bool XmlReadBool(const QDomElement& element, const QString& name, bool& value) {
    return element.hasAttribute(name) && TextToBool(element.attribute(name), value);
}

namespace {

// A number beyond the float range is damage like any other: it would turn into infinity.
bool TextToSingle(const QString& text, QChar separator, float& value) {
    double parsed = 0;
    if (!TextToFloat(text, separator, parsed) ||
        std::fabs(parsed) > double(std::numeric_limits<float>::max()))
        return false;
    value = static_cast<float>(parsed);
    return true;
}

} // namespace

bool XmlReadFloat(const QDomElement& element, const QString& name, float& value) {
    return element.hasAttribute(name) &&
           TextToSingle(element.attribute(name), XmlDecimalSeparator(element), value);
}

bool XmlReadText(const QDomElement& element, const QString& name, QString& value) {
    if (!element.hasAttribute(name))
        return false;
    value = element.attribute(name);
    return true;
}

namespace {

void AppendTextElement(QDomNode parent, const QString& name, const QString& text) {
    QDomElement child = XmlAppendChild(parent, name);
    child.appendChild(OwnerDocument(parent).createTextNode(text));
}

} // namespace

void XmlAppendFloatElement(QDomNode parent, const QString& name, double value) {
    AppendTextElement(parent, name, FloatToText(value, XmlDecimalSeparator(parent)));
}

void XmlAppendBoolElement(QDomNode parent, const QString& name, bool value) {
    AppendTextElement(parent, name, value ? QStringLiteral("true") : QStringLiteral("false"));
}

bool XmlReadFloatElement(const QDomElement& parent, const QString& name, float& value) {
    const QDomElement child = parent.firstChildElement(name);
    return !child.isNull() && TextToSingle(child.text(), XmlDecimalSeparator(parent), value);
}

bool XmlReadBoolElement(const QDomElement& parent, const QString& name, bool& value) {
    const QDomElement child = parent.firstChildElement(name);
    return !child.isNull() && TextToBool(child.text(), value);
}

QDomDocument XmlNewDocument(const QString& rootName, QChar decimal) {
    QDomDocument document;
    QDomElement root = document.createElement(rootName);
    if (!decimal.isNull())
        root.setAttribute(QStringLiteral("Decimal"), QString(decimal));
    document.appendChild(root);
    return document;
}

QDomDocument XmlReparse(const QDomDocument& document) {
    QDomDocument copy;
    copy.setContent(document.toByteArray(2));
    return copy;
}

void XmlStartWriting(QXmlStreamWriter& writer) {
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
}

void XmlWriteStartElement(QXmlStreamWriter& writer, const QDomElement& element) {
    writer.writeStartElement(element.nodeName());
    // The document keeps attributes in a hash: sorting them gives one order on every run.
    const QDomNamedNodeMap attributes = element.attributes();
    std::map<QString, QString> sorted;
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        sorted.emplace(attribute.nodeName(), attribute.nodeValue());
    }
    for (const auto& [name, value] : sorted)
        writer.writeAttribute(name, value);
}

void XmlWriteElement(QXmlStreamWriter& writer, const QDomNode& node) {
    if (node.isText() || node.isCDATASection()) {
        writer.writeCharacters(node.nodeValue());
        return;
    }
    if (!node.isElement())
        return;
    XmlWriteStartElement(writer, node.toElement());
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
        XmlWriteElement(writer, child);
    writer.writeEndElement();
}

QByteArray XmlDocumentBytes(const QDomDocument& document) {
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    XmlStartWriting(writer);
    XmlWriteElement(writer, document.documentElement());
    writer.writeEndDocument();
    return bytes;
}
