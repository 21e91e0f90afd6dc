#pragma once
// The capture-device report for support: the cameras, the audio devices, the displays, the
// system's version and the device names chosen in the settings, saved as UTF-8 text where the
// user chooses.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
struct TSettingsRecord;

// Where the report's sections come from; each defaults to the machine's own layer, tests put
// fakes in their place.
struct TRDeviceReportSources {
    std::function<QStringList()> Webcams;
    std::function<QStringList()> AudioDevices;
    std::function<QStringList()> Displays;
    // The running system's version, "<major>.<minor>".
    std::function<QString()> SystemVersion;

    TRDeviceReportSources();
};

// The report's lines: cameras, audio devices, 40 "-", displays, 40 "-", the system's version,
// then "Webcam: ", "Mic: " and "Sound: " with the settings' device names.
QStringList DeviceReportLines(const TSettingsRecord& settings,
                              const TRDeviceReportSources& sources);

// Writes the lines as UTF-8 text, one per line; false when the file cannot be written.
bool WriteDeviceReport(const QStringList& lines, const QString& path);

// Scans the devices under the waiting form ("Scanning..."), asks where to save with a dialog
// owned by `owner` ("QMB_Devices.txt") and writes the report there; a report that cannot be
// written is reported to the user. A cancelled dialog writes nothing.
void SaveDeviceList(QWidget* owner, const TSettingsRecord& settings,
                    const TRDeviceReportSources& sources);
