// Free space and file-system identity of paths.

#include "platform/system/DiskSpace.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace platform::system;

TEST(DiskSpace, FreeSpaceIsKnownForExistingPathsOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_GT(freeDiskSpace(dir.path()), 0);
    EXPECT_EQ(freeDiskSpace(dir.filePath("missing/deeper")), -1);
}

TEST(DiskSpace, SameFileSystemComparesDevices) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath("sub")));
    EXPECT_TRUE(sameFileSystem(dir.path(), dir.filePath("sub")));
    EXPECT_FALSE(sameFileSystem(dir.path(), "/proc"));
    EXPECT_FALSE(sameFileSystem(dir.path(), dir.filePath("missing")));
}

} // namespace
