// The project's caption objects written as a SubRip file.

#include "core/URProject.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URProjectCaptions.h"
#include "objects/URPropCaption.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class ProjectCaptions : public testing::Test {
protected:
    void SetUp() override { RegisterEngineKinds(); }

    void Add(int type, std::int32_t start, std::int32_t end, const QString& text) {
        TRObject* object = project.AddObject(CreateObjectOfType(&project, type));
        object->SetTimeStartField(start);
        object->SetTimeEnd(end);
        if (auto* caption = object->Get<TRPropCaption>(ptCaption))
            caption->FCaption = text;
    }

    TRProject project;
};

TEST_F(ProjectCaptions, CaptionObjectsAreWrittenInStartOrder) {
    Add(otCaption, 5000, 6000, "A");
    Add(otImage, 0, 1000, "not a caption");
    Add(otCaption, 2000, 3000, "B\r\nsecond line");
    Add(otCaption, 2000, 2500, "C");
    QTemporaryDir dir;
    const QString path = dir.filePath("captions.srt");
    ExportProjectCaptions(project, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "\xEF\xBB\xBF"
                              "1\r\n00:00:02,000 --> 00:00:03,000\r\nB\r\nsecond line\r\n\r\n"
                              "2\r\n00:00:02,000 --> 00:00:02,500\r\nC\r\n\r\n"
                              "3\r\n00:00:05,000 --> 00:00:06,000\r\nA\r\n\r\n");
    EXPECT_THROW(ExportProjectCaptions(project, dir.filePath("missing/captions.srt")),
                 std::runtime_error);
}

} // namespace
