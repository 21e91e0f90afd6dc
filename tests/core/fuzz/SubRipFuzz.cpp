// libFuzzer entry: any bytes as a SubRip file; whatever is read must write and read back the
// same captions, in order of start time.
#include "core/URCaptionFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TRSubRipRead read =
        ReadSubRip(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TRCaptionRecords inStartOrder = read.Captions;
    SortCaptionsByStart(inStartOrder);
    const TRSubRipRead again = ReadSubRip(WriteSubRip(read.Captions));
    if (again.ErrorLine != 0 || again.Captions != inStartOrder)
        std::abort();
    return 0;
}
