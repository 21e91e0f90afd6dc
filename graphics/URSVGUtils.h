#pragma once
// SVG pictures for image objects: one parsed document with its natural size, drawn into the
// shared device context under its current transform (one document unit per DIP).

#include <QIODevice>
#include <QString>
#include <memory>

class QSvgRenderer;

// Whether SVG pictures can be shown at all.
bool IsSVGSupported();

class TD2DSVG {
public:
    TD2DSVG();
    ~TD2DSVG();
    TD2DSVG(const TD2DSVG&) = delete;
    TD2DSVG& operator=(const TD2DSVG&) = delete;

    // False when the file cannot be opened; the picture is then left as it was.
    bool LoadFromFile(const QString& fileName);
    // The natural size comes from the root's "width" and "height", a missing one from its
    // "viewBox". A document that does not parse leaves the sizes as they were; a size that
    // cannot be found stays 0 (the picture is then no usable SVG).
    void LoadFromStream(QIODevice& stream);
    float GetWidth() const { return fWidth; }
    float GetHeight() const { return fHeight; }
    // Draws the document into D2DContext, its viewport at (0, 0) sized GetWidth x GetHeight.
    void Draw() const;

private:
    float fWidth = 0;
    float fHeight = 0;
    std::unique_ptr<QSvgRenderer> fSvgDoc;
};
