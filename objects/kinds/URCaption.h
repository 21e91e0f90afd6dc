#pragma once
// One closed caption of the timeline: a text shown at the bottom of the canvas from its start
// to its end in the project's caption style, each line on a band of its own, with the speech
// of the text (when one was made and is switched on) as its sound.

#include "objects/kinds/URAudio.h"
#include "platform/render/Types.h"

#include <vector>

namespace platform::render {
class TextLayoutBox;
}

// The box a caption is laid out in on a canvas of `width` × `height` (scene coordinates, origin
// at the canvas centre): 70 % of the width, the lower half, ending 15 pixels above the bottom.
platform::render::RectF CaptionBox(std::int32_t width, std::int32_t height);

// The background bands of a laid-out caption in `box`: one padded rectangle behind the whole
// text for a single line, else one per line behind its visible characters, the first reaching
// up and the last down by the padding. A line of blanks gets none.
std::vector<platform::render::RectF> CaptionBands(const platform::render::TextLayoutBox& layout,
                                                  const platform::render::RectF& box);

class TRCaption : public TRAudio {
public:
    TRCaption(TRProject* project, TRObjectType type);

    // Draws the text with its window and bands while the project's captions are switched on.
    void PaintOnScene(bool mouseOver, bool paintAll) override;
    // The speech sounds, shows and mixes only while it is switched on.
    void PaintWaveForm() override;
    void PlayAudio() override;
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override;
    // The caption's text, empty without its group.
    QString GetText() const override;
    // Takes a new speech file (moved into the project's folder) as the sound; the clip then
    // lasts as long as the speech at its speed.
    void UpdateMedia(const QString& fileName);

private:
    bool SpeechOn();
};
