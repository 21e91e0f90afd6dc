#pragma once
// Decoder of screen-video frames into BGRA pictures. It keeps the coefficients of the whole
// picture between frames, so a delta frame replaces only the plane blocks that changed, and
// runs every frame in three phases over the thread pool: the slices' code tables, the
// macroblock rows' entropy decoding and the reconstruction of pixels. Entropy decoding and
// reconstruction are separate calls so that running forward from a key frame reconstructs
// pixels only once. Nothing in a frame is trusted: a damaged frame is refused with a reason.

#include "media/UCodecSupport.h"

#include <QString>
#include <cstdint>
#include <vector>

class TSliceTables;

class TVideoDecoder {
public:
    TVideoDecoder();
    ~TVideoDecoder();
    TVideoDecoder(const TVideoDecoder&) = delete;
    TVideoDecoder& operator=(const TVideoDecoder&) = delete;

    // Prepares for pictures of this size; false (see LastError) for a size or QStep the format
    // does not allow.
    bool StartDecode(int AWidth, int AHeight, int AQstep);
    // The same with the size and QStep of a frame record of Size bytes.
    bool StartDecode(const uint8_t* PInput, std::size_t Size);
    // Entropy-decodes one frame record of Size bytes into the coefficients. A refused frame
    // leaves the decoder waiting for the next key frame.
    bool DecodeToCoef(const uint8_t* PInput, std::size_t Size);
    // Reconstructs the picture from the coefficients.
    void DecodeToArgb();
    // Copies the picture: Img_Height rows of Img_Width BGRA pixels without gaps.
    void GetArgb(uint8_t* POutput) const;
    bool Decode(const uint8_t* PInput, std::size_t Size, uint8_t* POutput);
    void StopDecode();

    const QString& LastError() const { return FLastError; }
    int Width() const { return Img_Width; }
    int Height() const { return Img_Height; }
    int RowTaskCount() const { return Nr_decode_threads; }
    // First row (0-based) of row task j; tests check the split.
    int RowTaskStart(int j) const { return ArrayThreadsDecData[j].First; }

    bool MultiThread = false;
    // Logical processors the row split plans for.
    int ProcessorCount;

private:
    // One macroblock row of the picture.
    struct TLineData {
        int NrBlocks = 0;
        const uint8_t* PBits = nullptr;
        std::size_t RowSize = 0;
        const TSliceTables* PTables = nullptr;
        int16_t* PCoef = nullptr;
        uint8_t* PYUV = nullptr;
        uint8_t* PARGB = nullptr;
        bool Dirty = true; // coefficients changed since the row's pixels were made
    };
    // One row task: rows First .. First + Count - 1.
    struct TThreadDecData {
        int First = 0;
        int Count = 0;
    };
    // One slice of the frame being decoded.
    struct TTablesData {
        const uint8_t* PSlice = nullptr;
        std::size_t Size = 0;
        int Rows = 0;
        long RowSizesOffset = -1;
    };

    bool Fail(const QString& Reason);
    bool ReadSlices(const uint8_t* PInput, std::size_t Size);
    bool BuildRows(std::vector<TSliceTables>& Tables);
    void SplitRows();
    bool DecodeRowsProc(const TThreadDecData& Task) const;
    void DecodeArgbProc(const TThreadDecData& Task);

    int Nr_decode_threads = 0;
    int Img_Width = 0, Img_Height = 0;
    int Img_Width_Ex = 0, Img_Height_Ex = 0;
    int Img_Width_mb = 0, Img_Height_mb = 0;
    int QStep = 0;
    int Nr_mb_y = 0;
    TAlignedBuffer BufferCoef;
    TAlignedBuffer BufferYUV;
    TAlignedBuffer Buffer_ARGB;
    std::vector<TTablesData> ArrayTablesData;
    std::vector<TLineData> ArrayLines;
    std::vector<TThreadDecData> ArrayThreadsDecData;
    bool FHasKeyFrame = false;
    QString FLastError;
};
