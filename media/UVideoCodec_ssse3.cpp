// SSSE3 versions of the screen-video kernels.
#include "media/UVideoCodec_obj.h"

const TCodecKernels* Ssse3CodecKernels() {
    return nullptr;
}
