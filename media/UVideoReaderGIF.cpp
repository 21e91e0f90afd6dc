#include "media/UVideoReaderGIF.h"

#include "platform/media/MediaType.h"

using platform::media::GifAnimation;
using platform::media::GifFrame;

namespace {
constexpr int RestoreToBackground = 2;
} // namespace

void TVideoReaderGIF::OpenFile(const QString& fileName, int64_t, uint32_t) {
    FIsValid = false;
    try {
        pdecoder = std::make_unique<GifAnimation>(fileName.toStdString());
    } catch (const platform::media::MediaError& error) {
        FErrorText = QString::fromStdString(error.what());
        return;
    }
    FWidth = pdecoder->width();
    FHeight = pdecoder->height();
    const std::vector<GifFrame>& frames = pdecoder->frames();
    std::vector<int> delays;
    for (const GifFrame& frame : frames)
        delays.push_back(frame.delayCs * 10);
    if (!LayOutFrames(delays))
        return;
    int key = 1;
    for (int i = 1; i <= FNrFrames; ++i) {
        TFrameGIF& entry = FFrames[size_t(i)];
        const GifFrame& frame = frames[size_t(i) - 1];
        entry.Keyframe = i == 1 || frames[size_t(i) - 2].disposal == RestoreToBackground;
        if (entry.Keyframe)
            key = i;
        entry.KeyFrameId = key;
        entry.Left = frame.left;
        entry.Top = frame.top;
        entry.Width = frame.width;
        entry.Height = frame.height;
        entry.Disposal = frame.disposal;
    }
    FIsValid = true;
}

void TVideoReaderGIF::Compose(int index) {
    const TFrameGIF& wanted = FFrames[size_t(index)];
    int first = index;
    if (!wanted.Keyframe) {
        const bool sameGroup = LastFrameId > 0 && index >= LastFrameId &&
                               wanted.KeyFrameId == FFrames[size_t(LastFrameId)].KeyFrameId;
        first = sameGroup ? LastFrameId + 1 : wanted.KeyFrameId;
    }
    if (first == wanted.KeyFrameId)
        Clear();
    for (int i = first; i <= index; ++i)
        pdecoder->drawFrame(i - 1, pbuffer.data(), FWidth * 4);
}
