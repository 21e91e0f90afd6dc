#include "media/UCodecSupport.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <cstring>
#include <new>
#include <numeric>
#include <vector>

namespace {
constexpr std::align_val_t kAlignment{16};
}

void TAlignedBuffer::TAlignedDelete::operator()(uint8_t* p) const {
    ::operator delete[](p, kAlignment);
}

void TAlignedBuffer::Allocate(std::size_t size) {
    Free();
    if (size == 0)
        return;
    FData.reset(static_cast<uint8_t*>(::operator new[](size, kAlignment)));
    std::memset(FData.get(), 0, size);
    FSize = size;
}

void TAlignedBuffer::Free() {
    FData.reset();
    FSize = 0;
}

int CodecProcessorCount() {
    return std::max(1, QThread::idealThreadCount());
}

void RunCodecTasks(int Count, bool MultiThread, const std::function<void(int)>& Task) {
    if (!MultiThread || Count <= 1) {
        for (int i = 0; i < Count; ++i)
            Task(i);
        return;
    }
    std::vector<int> indexes(Count);
    std::iota(indexes.begin(), indexes.end(), 0);
    QtConcurrent::blockingMap(indexes, [&Task](int i) { Task(i); });
}
