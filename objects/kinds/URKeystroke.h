#pragma once
// The keystroke badge: a keyboard shortcut (Ctrl + K) drawn as a row of key caps on the
// object's shaped, filled background, in one of four cap styles, with a key click when playback
// reaches the badge and in the export's sound. The click is "keystroke.wav" of the cursor
// folder; without that file the badge is silent.

#include "core/URSettings.h"
#include "objects/kinds/URDrawable.h"

#include <QColor>
#include <QString>
#include <memory>
#include <vector>

class TAudioPlayer;
class TAudioReader;
class TRPropKeystroke;

// One drawn key of a badge.
struct TRKeyCap {
    QString Caption;
    float Units = 1;    // width in key units; every cap is one unit high
    bool Small = false; // the caption takes the small font
};

// The caps of a combination in drawing order (Ctrl, Shift, Alt, then the key) and the row's
// width in units, with a one-unit "+" between neighbours; 1 when no key is drawn. A key that is
// neither a digit, a letter nor in the caption table is left out.
struct TRKeyRow {
    std::vector<TRKeyCap> Keys;
    float Units = 1;
};
TRKeyRow KeystrokeRow(const TRHotkey& keys);

// Where a row `units` wide lies in the badge rectangle `r`: the unit in pixels, the left edge
// of the first cap and the row's top; centred with a margin of at least 10 pixels. A unit of 0
// or less leaves no room for keys.
struct TRKeyRowPlace {
    float Unit = 0;
    float Left = 0;
    float Top = 0;
};
TRKeyRowPlace PlaceKeyRow(float units, const QRectF& r);

// White over a dark colour (mean of red, green and blue at most 125), else black.
QColor ContrastColor(const QColor& under);

class TRKeystroke : public TRDrawable {
public:
    TRKeystroke(TRProject* project, TRObjectType type);
    ~TRKeystroke() override;

    void UpdateBitmap() override;
    // Starts the click once the playhead is inside the badge and past its transition in; a
    // click that runs is left alone, and stopped once the playhead passes the badge's end.
    void PlayAudio() override;
    void StopAudio() override;
    // The click once from the end of the transition in, cut at the badge's end.
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override;
    // The keys as text, for instance "Ctrl + K".
    QString GetText() const override;

    // The click's player and the reader the export mixes; null when the sound file was missing
    // or could not be opened when the badge was made.
    TAudioPlayer* ClickPlayer() const { return FAudioPlayerK.get(); }
    TAudioReader* ClickReader() const { return FAudioReaderK.get(); }

protected:
    TRSceneFamily SceneFamily() const override { return {}; }

private:
    // The background's first colour when the background is on, else black.
    QColor BackgroundColor();
    // The usable keystroke group and its sound switched on.
    TRPropKeystroke* SoundingGroup();

    std::unique_ptr<TAudioReader> FAudioReaderK;
    std::unique_ptr<TAudioPlayer> FAudioPlayerK;
};
