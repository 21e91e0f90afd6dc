#pragma once
// Typed attribute and element values of the project description and its copies.
//
// Every value is text. Integers are decimal, Booleans "true"/"false", and numbers with a
// fraction use the decimal separator that the "Decimal" attribute of the document's root names
// ("." when it has none). Reading never touches the process locale: the recorded separator is
// turned into "." and the text is parsed with the C conventions. A reader takes a value only
// when it is present and converts cleanly; otherwise the target keeps its value, so damaged
// text leaves the default in place instead of failing the whole load.

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>
#include <cstdint>

// The separator recorded by the root of the node's document, "." when there is none.
QChar XmlDecimalSeparator(const QDomNode& node);
// The separator of the user's number format when it is one character, else ".".
QChar SystemDecimalSeparator();

// General decimal notation with up to 15 significant digits and the given separator.
QString FloatToText(double value, QChar separator);
// False (value untouched) for text that is not a finite number. The float readers below also
// refuse numbers beyond the float range.
bool TextToFloat(const QString& text, QChar separator, double& value);
bool TextToInt(const QString& text, std::int32_t& value);
// "true"/"false" in any case, or an integer where anything but 0 is true.
bool TextToBool(const QString& text, bool& value);

QDomElement XmlAppendChild(QDomNode parent, const QString& name);

void XmlSetInt(QDomElement& element, const QString& name, std::int32_t value);
void XmlSetBool(QDomElement& element, const QString& name, bool value);
void XmlSetFloat(QDomElement& element, const QString& name, double value);
void XmlSetText(QDomElement& element, const QString& name, const QString& value);

bool XmlReadInt(const QDomElement& element, const QString& name, std::int32_t& value);
bool XmlReadBool(const QDomElement& element, const QString& name, bool& value);
bool XmlReadFloat(const QDomElement& element, const QString& name, float& value);
bool XmlReadText(const QDomElement& element, const QString& name, QString& value);

// Child elements that carry one value as their text.
void XmlAppendFloatElement(QDomNode parent, const QString& name, double value);
void XmlAppendBoolElement(QDomNode parent, const QString& name, bool value);
bool XmlReadFloatElement(const QDomElement& parent, const QString& name, float& value);
bool XmlReadBoolElement(const QDomElement& parent, const QString& name, bool& value);

// A document with the root element `rootName`, created with indented output in mind. With a
// `decimal`, the root records it as the separator of the numbers written under it.
QDomDocument XmlNewDocument(const QString& rootName, QChar decimal = QChar());
// The document as indented UTF-8 text with the elements in their order and the attributes of each
// element sorted by name: the same document always gives the same bytes.
QByteArray XmlDocumentBytes(const QDomDocument& document);
// The pieces of XmlDocumentBytes, for a description written one part at a time: a writer in its
// layout that has written the XML declaration, an element's start tag with its attributes
// sorted, and an element whole.
void XmlStartWriting(QXmlStreamWriter& writer);
void XmlWriteStartElement(QXmlStreamWriter& writer, const QDomElement& element);
void XmlWriteElement(QXmlStreamWriter& writer, const QDomNode& node);
// Serialises the document and parses it again: the copy holds exactly what was written.
QDomDocument XmlReparse(const QDomDocument& document);
