// The capture-device report on the X server: its display section, between the two rules, is
// what the server's RandR reports of the 1920 x 1080 test screen, and the version line reads
// "<major>.<minor>".
#include "core/URSettings.h"
#include "editor/ui/URDeviceReport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(DeviceReportOnX, TheDisplaySectionComesFromRandR) {
    TSettingsRecord settings;
    SetDefaultSettings(settings);
    TRDeviceReportSources sources;
    // The machine's cameras and sound server are not the subject here.
    sources.Webcams = [] { return QStringList(); };
    sources.AudioDevices = [] { return QStringList(); };
    const QStringList lines = DeviceReportLines(settings, sources);
    const QString rule(40, '-');
    ASSERT_EQ(lines.count(rule), 2);
    const qsizetype first = lines.indexOf(rule), second = lines.lastIndexOf(rule);
    const QStringList displays = lines.mid(first + 1, second - first - 1);
    ASSERT_FALSE(displays.isEmpty());
    EXPECT_EQ(displays.first(), "Screen: 1920x1080, depth 24");
    EXPECT_EQ(displays.filter(QRegularExpression("^Monitor .*: 0,0 - 1920,1080")).size(), 1)
        << displays.join('\n').toStdString();
    EXPECT_TRUE(displays.last().contains("RANDR=1")) << displays.last().toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+$").match(lines.at(second + 1)).hasMatch())
        << lines.at(second + 1).toStdString();
}
