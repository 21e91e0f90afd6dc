#pragma once
// Reads a large XML file one element at a time: the elements a caller takes are copied into
// small documents of their own, so that memory follows the largest element taken, not the file.

#include <QDomDocument>
#include <QIODevice>
#include <QXmlStreamReader>
#include <functional>

class TRXmlElementStream {
public:
    // Elements nested deeper than maxDepth (the root is at depth 1) end the walk: TooDeep().
    TRXmlElementStream(QIODevice& device, int maxDepth) : FReader(&device), FMaxDepth(maxDepth) {}

    // Steps to the root element; false when the file has none.
    bool ReadRoot();
    // Steps to the next child element of the element being walked (the root at first, or the
    // element last entered), skipping the one stepped to before unless it was taken or
    // entered; false at the end of that element, and for good once the walk has failed.
    bool NextChild();
    // The name of the element stepped to.
    QString Name() const { return FReader.name().toString(); }
    // A document of the element stepped to, whole, as the only child of a copy of the root (its
    // attributes only), so that what a reader looks up on the root (the decimal separator)
    // reads as in the file. Empty when the element nests too deeply.
    //
    // With `streamedParent`, the children of the taken element's child of that name are not
    // kept: each is handed to `streamed`, in a document of its own like the one Take returns,
    // as soon as it has been read, so that an element of many such children is never held
    // whole.
    QDomDocument Take(const QString& streamedParent = {},
                      const std::function<void(const QDomElement&)>& streamed = {});
    // An attribute of the element stepped to; empty when it has none.
    QString Attribute(const QString& name) const {
        return FReader.attributes().value(name).toString();
    }
    // Walks the children of the element stepped to; after its end NextChild goes on in its
    // parent.
    void Enter();
    // Reads what is left of the file, so that damage after the last element taken is found;
    // false when the file is not well-formed or nests too deeply.
    bool Finish();
    // How much of the file has been read, in characters.
    qint64 Offset() const { return FReader.characterOffset(); }
    bool HasError() const { return FReader.hasError(); }
    bool TooDeep() const { return FTooDeep; }

private:
    struct TRStreamed {
        const QString& Parent;
        const std::function<void(const QDomElement&)>& Take;
    };

    QDomDocument NewRootCopy() const;
    // Builds the element the reader is on into `parent`; `baseDepth` is the depth of `parent`
    // in the file. False when it nests too deeply.
    bool Build(QDomDocument& document, QDomElement parent, int baseDepth,
               const TRStreamed* streamed);
    bool TakeStreamed(const TRStreamed& streamed, int baseDepth);
    void PassOver(int depth);
    // Passes over the element stepped to unless it was taken or entered.
    void SkipStepped();
    bool Failed() const { return FTooDeep || FReader.hasError(); }

    QXmlStreamReader FReader;
    QXmlStreamAttributes FRootAttributes;
    QString FRootName;
    int FMaxDepth;
    int FDepth = 0;        // the depth of the element being walked
    bool FStepped = false; // on the start of an element neither taken nor entered
    bool FTooDeep = false;
};
