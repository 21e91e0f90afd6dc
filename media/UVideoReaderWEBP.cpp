#include "media/UVideoReaderWEBP.h"

#include "platform/media/MediaType.h"

void TVideoReaderWEBP::OpenFile(const QString& fileName, int64_t, uint32_t) {
    FIsValid = false;
    try {
        pdecoder = std::make_unique<platform::media::WebPAnimation>(fileName.toStdString());
    } catch (const platform::media::MediaError& error) {
        FErrorText = QString::fromStdString(error.what());
        return;
    }
    FWidth = pdecoder->width();
    FHeight = pdecoder->height();
    FBackColor = pdecoder->backgroundColour();
    FLoopCount = pdecoder->loopCount();
    if (!LayOutFrames(pdecoder->durations()))
        return;
    for (int i = 1; i <= FNrFrames; ++i) {
        FFrames[size_t(i)].Width = FWidth;
        FFrames[size_t(i)].Height = FHeight;
    }
    FIsValid = true;
}

void TVideoReaderWEBP::Compose(int index) {
    pdecoder->decodeFrame(index - 1, pbuffer.data(), FWidth * 4);
}
