#include "platform/camera/Mjpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace platform::camera {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr, int) {}

// JPEG pictures use the whole 0..255 range; camera I420 uses video range (luma 16..235,
// chroma 16..240), so the decoded samples are mapped.
struct RangeTables {
    uint8_t luma[256];
    uint8_t chroma[256];
    RangeTables() {
        for (int v = 0; v < 256; ++v) {
            luma[v] = uint8_t(16 + (v * 219 + 127) / 255);
            chroma[v] = uint8_t(128 + ((v - 128) * 224 + (v >= 128 ? 127 : -127)) / 255);
        }
    }
};
const RangeTables Range;

void mapRow(const uint8_t* in, uint8_t* out, int width, const uint8_t* table) {
    for (int x = 0; x < width; ++x)
        out[x] = table[in[x]];
}

// Averages two chroma rows into one (4:2:2 to 4:2:0), mapped to video range.
void averageRows(const uint8_t* a, const uint8_t* b, uint8_t* out, int width) {
    for (int x = 0; x < width; ++x)
        out[x] = Range.chroma[(a[x] + b[x] + 1) >> 1];
}

} // namespace

struct MjpegDecoder::State {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    // Planes as the decoder writes them: whole blocks, padded beyond the picture.
    std::vector<uint8_t> planes[3];
    std::vector<JSAMPROW> rows[3];
    std::vector<uint8_t> lines; // interleaved Y, Cb, Cr rows of the general path
};

MjpegDecoder::MjpegDecoder() : state_(std::make_unique<State>()) {
    state_->info.err = jpeg_std_error(&state_->errors.base);
    state_->errors.base.error_exit = onError;
    state_->errors.base.emit_message = onMessage;
    jpeg_create_decompress(&state_->info);
}

MjpegDecoder::~MjpegDecoder() {
    jpeg_destroy_decompress(&state_->info);
}

namespace {

// Reads the picture in raw planes: luma 2×1 or 2×2 blocks per chroma sample.
void readRaw(jpeg_decompress_struct& info, std::vector<uint8_t> (&planes)[3],
             std::vector<JSAMPROW> (&rows)[3], int width, int height, uint8_t* out) {
    const int vmax = info.max_v_samp_factor;
    const int step = vmax * DCTSIZE;
    const int paddedHeight = (height + step - 1) / step * step;
    for (int c = 0; c < 3; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const int stride = int(component.width_in_blocks) * DCTSIZE;
        const int planeRows = paddedHeight * component.v_samp_factor / vmax;
        planes[c].resize(size_t(stride) * size_t(planeRows));
        rows[c].resize(size_t(planeRows));
        for (int r = 0; r < planeRows; ++r)
            rows[c][size_t(r)] = planes[c].data() + size_t(r) * size_t(stride);
    }
    while (int(info.output_scanline) < height) {
        const int line = int(info.output_scanline);
        JSAMPARRAY groups[3];
        for (int c = 0; c < 3; ++c)
            groups[c] = rows[c].data() + line * info.comp_info[c].v_samp_factor / vmax;
        if (jpeg_read_raw_data(&info, groups, JDIMENSION(step)) == 0)
            break;
    }
    const int cw = width / 2, ch = height / 2;
    uint8_t* y = out;
    for (int r = 0; r < height; ++r)
        mapRow(rows[0][size_t(r)], y + size_t(r) * size_t(width), width, Range.luma);
    for (int c = 1; c < 3; ++c) {
        uint8_t* plane = out + size_t(width) * size_t(height) + size_t(c - 1) * size_t(cw) * ch;
        for (int r = 0; r < ch; ++r) {
            uint8_t* target = plane + size_t(r) * size_t(cw);
            if (vmax == 2)
                mapRow(rows[c][size_t(r)], target, cw, Range.chroma);
            else
                averageRows(rows[c][size_t(r) * 2], rows[c][size_t(r) * 2 + 1], target, cw);
        }
    }
}

// Any other layout: interleaved Y, Cb, Cr rows, subsampled here.
void readLines(jpeg_decompress_struct& info, std::vector<uint8_t>& lines, int width, int height,
               uint8_t* out) {
    lines.resize(size_t(width) * 3 * 2);
    const int cw = width / 2;
    uint8_t* u = out + size_t(width) * size_t(height);
    uint8_t* v = u + size_t(cw) * size_t(height / 2);
    for (int r = 0; r < height && int(info.output_scanline) < height; r += 2) {
        JSAMPROW pair[2] = {lines.data(), lines.data() + size_t(width) * 3};
        jpeg_read_scanlines(&info, pair, 1);
        if (int(info.output_scanline) < height)
            jpeg_read_scanlines(&info, pair + 1, 1);
        else
            std::memcpy(pair[1], pair[0], size_t(width) * 3);
        for (int k = 0; k < 2 && r + k < height; ++k)
            for (int x = 0; x < width; ++x)
                out[size_t(r + k) * size_t(width) + size_t(x)] = Range.luma[pair[k][x * 3]];
        for (int x = 0; x < cw; ++x) {
            const auto at = [&](int k, int dx, int c) {
                return int(pair[k][(x * 2 + dx) * 3 + c]);
            };
            u[size_t(r / 2) * size_t(cw) + size_t(x)] =
                Range.chroma[(at(0, 0, 1) + at(0, 1, 1) + at(1, 0, 1) + at(1, 1, 1) + 2) >> 2];
            v[size_t(r / 2) * size_t(cw) + size_t(x)] =
                Range.chroma[(at(0, 0, 2) + at(0, 1, 2) + at(1, 0, 2) + at(1, 1, 2) + 2) >> 2];
        }
    }
}

bool rawLayout(const jpeg_decompress_struct& info) {
    if (info.num_components != 3 || info.comp_info[0].h_samp_factor != 2)
        return false;
    const int v = info.comp_info[0].v_samp_factor;
    return (v == 1 || v == 2) && info.comp_info[1].h_samp_factor == 1 &&
           info.comp_info[1].v_samp_factor == 1 && info.comp_info[2].h_samp_factor == 1 &&
           info.comp_info[2].v_samp_factor == 1;
}

} // namespace

bool MjpegDecoder::decodeToI420(const uint8_t* data, size_t bytes, int width, int height,
                                uint8_t* out) {
    State& s = *state_;
    if (!data || bytes < 4 || width <= 0 || height <= 0 || width % 2 || height % 2)
        return false;
    if (setjmp(s.errors.jump)) {
        jpeg_abort_decompress(&s.info);
        return false;
    }
    jpeg_mem_src(&s.info, data, static_cast<unsigned long>(bytes));
    if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK || int(s.info.image_width) != width ||
        int(s.info.image_height) != height) {
        jpeg_abort_decompress(&s.info);
        return false;
    }
    const bool raw = rawLayout(s.info);
    s.info.out_color_space = s.info.num_components == 1 ? JCS_GRAYSCALE : JCS_YCbCr;
    s.info.raw_data_out = raw ? TRUE : FALSE;
    s.info.do_fancy_upsampling = FALSE;
    s.info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&s.info);
    if (raw)
        readRaw(s.info, s.planes, s.rows, width, height, out);
    else if (s.info.output_components == 3)
        readLines(s.info, s.lines, width, height, out);
    else {
        jpeg_abort_decompress(&s.info);
        return false;
    }
    jpeg_abort_decompress(&s.info);
    return true;
}

} // namespace platform::camera
