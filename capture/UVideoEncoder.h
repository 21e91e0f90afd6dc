#pragma once
// Encoder of screen pictures into screen-video frame records. The picture is cut into bands of
// 16-pixel macroblock rows; every band is converted, transformed, quantised and Huffman-coded
// as one slice, the bands in parallel on the thread pool. A delta frame codes only the plane
// blocks that changed since the previous picture; a frame without any change is empty.

#include "media/UCodecSupport.h"

#include <cstdint>
#include <vector>

class TVideoEncoder {
public:
    TVideoEncoder();

    // Prepares for pictures of this size (BGRA when ADataIsARGB, else YUY2); returns the padded
    // picture size in bytes, or 0 for a size or QStep the format does not allow.
    int StartEncode(int AImg_Width, int AImg_Height, int AQStep, bool ADataIsARGB);
    // Encodes one picture (Stride bytes per row) into the frame record at POut, which must hold
    // MaxFrameBytes(); returns the record's size, or 0 when no block changed.
    int Encode(bool Keyframe, const uint8_t* Pargb, int Stride, uint8_t* POut);
    void StopEncode();

    // Largest frame record Encode can write.
    std::size_t MaxFrameBytes() const;
    int BandCount() const { return Nr_encode_threads; }
    int BandRows(int Band) const { return ArrayThreadsData[Band].Rows; }

    bool MultiThread = false;
    // Logical processors the band split plans for.
    int ProcessorCount;

private:
    struct TEncodeThreadData {
        bool Keyframe = false;
        int FirstRow = 0;
        int Rows = 0;
        TAlignedBuffer Work;
        TAlignedBuffer Output;
        int SliceSize = 0;
        bool Changed = false;
    };

    void CopyBandRows(const TEncodeThreadData& Band) const;
    void EncodeRowsProc(TEncodeThreadData& Band) const;
    const uint8_t* BandSource(const TEncodeThreadData& Band) const;
    uint8_t* PlanesOf(int Picture, const TEncodeThreadData& Band) const;

    int Nr_encode_threads = 0;
    int Img_Width = 0, Img_Height = 0;
    int Img_Width_Ex = 0, Img_Height_Ex = 0;
    int Img_Width_mb = 0, Img_Height_mb = 0;
    int QStep = 0;
    bool DataIsARGB = true;
    int Nr_mb_y = 0;
    TAlignedBuffer Buffer_ARGB;
    TAlignedBuffer BufferYUV;         // two pictures' planes
    int CurrentPicture = 0;           // which half of BufferYUV holds this frame's planes
    const uint8_t* FSource = nullptr; // the picture being encoded
    int FSourceStride = 0;
    std::vector<TEncodeThreadData> ArrayThreadsData;
};
