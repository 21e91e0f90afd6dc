#include "capture/UScreenOutput.h"

#include "media/UMFEncoderH264.h"
#include "platform/system/Messages.h"

#include <algorithm>
#include <cstring>

int ScreenQStep(int quality) {
    return std::clamp((100 - quality) * 20 / 50, 0, 35);
}

int64_t FrameSlot(int64_t mt, int fps) {
    return mt / 1000 * fps + mt % 1000 / (1000 / fps);
}

TScreenOutput::TScreenOutput(const TScreenOutputParams& params, ResultSink result,
                             std::function<bool()> stopping)
    : CreateEncoder([] { return std::make_unique<TMFEncoderH264Ex>(); }), FParams(params),
      FResult(std::move(result)), FStopping(std::move(stopping)) {}

TScreenOutput::~TScreenOutput() = default;

void TScreenOutput::Prepare() {
    if (FParams.Mode == ScreenModeTVF) {
        FWriter = std::make_unique<TVideoWriterTVC>();
        FWriter->StartWrite(FParams.Width, FParams.Height, ScreenQStep(FParams.Quality),
                            FParams.BackupTimeMs, FParams.FileName, true);
        FPendingPicture.assign(std::size_t(Stride()) * FParams.Height, 0);
    } else if (FParams.Mode == ScreenModeMP4) {
        FW2 = FParams.Width - FParams.Width % 2;
        FH2 = FParams.Height - FParams.Height % 2;
        FEncoderPicture.assign(std::size_t(FW2) * FH2 * 4, 128);
        FEncoder = CreateEncoder();
        FEncoder->UseHardware = FParams.UseHardware;
        FEncoder->UseVFR = false;
        FEncoder->SetParams(FW2, FH2, FParams.FramePS, FParams.Quality, false, 44100, 96,
                            FParams.FileName);
        FResult(FEncoder->StartEncode(), 1);
    }
}

void TScreenOutput::AddChanged(const uint8_t* picture, int64_t mt) {
    if (FParams.Mode == ScreenModeTVF)
        AddSlotted(picture, mt);
    else
        AddPaced(picture, mt);
}

void TScreenOutput::AddPaced(const uint8_t* picture, int64_t mt) {
    if (FParams.Mode == ScreenModeTVF) {
        WriteFrame(picture, mt);
        PostSize(mt);
    } else if (FParams.Mode == ScreenModeMP4) {
        AddConstantRate(picture, mt);
    } else if (FParams.Mode == ScreenModeLive && FParams.Mailbox) {
        FParams.Mailbox->SetScreenData(picture, FParams.Width, FParams.Height, Stride());
    }
}

void TScreenOutput::WriteFrame(const uint8_t* picture, int64_t mt) {
    if (FWriter)
        FBytes += std::max(0, FWriter->AddFrame(picture, Stride(), int(mt)));
}

void TScreenOutput::AddSlotted(const uint8_t* picture, int64_t mt) {
    const int64_t slot = FrameSlot(mt, FParams.FramePS);
    if (slot > FLastSlot) {
        // A pending picture is shown during the slots left empty before this one.
        if (slot - FLastSlot > 1 && FPending)
            WriteFrame(FPendingPicture.data(), FPendingTime);
        WriteFrame(picture, mt);
        FLastSlot = slot;
        FPending = false;
        PostSize(mt);
        return;
    }
    FPendingTime = mt;
    FPending = true;
    std::memcpy(FPendingPicture.data(), picture, FPendingPicture.size());
}

void TScreenOutput::CopyToEncoderPicture(const uint8_t* picture) {
    for (int y = 0; y < FH2; ++y)
        std::memcpy(FEncoderPicture.data() + std::size_t(y) * FW2 * 4,
                    picture + std::size_t(y) * Stride(), std::size_t(FW2) * 4);
}

int64_t TScreenOutput::SlotEndMs() const {
    return (FEncoder->SampleVideoStart() + FEncoder->SampleVideoDuration()) / 10000;
}

void TScreenOutput::Encode(const uint8_t* picture, int step) {
    FResult(FEncoder->AddVideoFrame(picture), step);
}

void TScreenOutput::FillSlot(int pictureStep, int gapStep) {
    if (FWritten) {
        Encode(nullptr, gapStep);
    } else {
        Encode(FEncoderPicture.data(), pictureStep);
        FWritten = true;
    }
}

void TScreenOutput::AddConstantRate(const uint8_t* picture, int64_t mt) {
    if (!FEncoder)
        return;
    if (mt < FEncoder->SampleVideoStart() / 10000) {
        CopyToEncoderPicture(picture);
        FWritten = false;
    } else {
        while (SlotEndMs() < mt && !FStopping())
            FillSlot(2, 3);
        CopyToEncoderPicture(picture);
        Encode(FEncoderPicture.data(), 4);
        FWritten = true;
    }
    if (!FStopping())
        PostSize(mt);
}

void TScreenOutput::Close(int64_t endMs) {
    if (FWriter) {
        if (FPending)
            WriteFrame(FPendingPicture.data(), FPendingTime);
        FPending = false;
        FWriter->StopWrite(int(endMs));
        FWriter.reset();
    }
    if (FEncoder) {
        // The tail reaches the recording's end, so the video is never shorter than its sound.
        while (SlotEndMs() < endMs)
            FillSlot(5, 6);
        Encode(FEncoderPicture.data(), 7);
        FResult(FEncoder->StopEncode(), 8);
        FEncoder.reset();
    }
}

void TScreenOutput::PostSize(int64_t mt) {
    if (!FParams.SizeReceiver || mt <= FLastSizeTime + 500)
        return;
    const int64_t bytes = FEncoder ? int64_t(FEncoder->GetVideoCompressedSize()) : FBytes;
    platform::system::postMessage(FParams.SizeReceiver,
                                  platform::system::msg::ScreenRecorderFileSize, bytes / 1024);
    FLastSizeTime = mt;
}
