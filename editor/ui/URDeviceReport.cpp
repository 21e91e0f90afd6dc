#include "editor/ui/URDeviceReport.h"

#include "core/URFormHooks.h"
#include "core/URSettings.h"
#include "core/ui/URMessageBox.h"
#include "media/UMFAudioApi.h"
#include "media/UWebCamApi.h"
#include "platform/capture/Screen.h"
#include "platform/system/SystemInfo.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

TRDeviceReportSources::TRDeviceReportSources()
    : Webcams([] {
          QStringList lines;
          GetWebCamsReport(&lines);
          return lines;
      }),
      AudioDevices([] {
          QStringList lines;
          GetAudioDevicesReport(lines);
          return lines;
      }),
      Displays([] { return platform::capture::displayReport(); }), SystemVersion([] {
          const platform::system::OsVersion version = platform::system::osVersion();
          return QStringLiteral("%1.%2").arg(version.major).arg(version.minor);
      }) {}

QStringList DeviceReportLines(const TSettingsRecord& settings,
                              const TRDeviceReportSources& sources) {
    const QString rule(40, QLatin1Char('-'));
    QStringList lines = sources.Webcams();
    lines << sources.AudioDevices() << rule << sources.Displays() << rule << sources.SystemVersion()
          << "Webcam: " + settings.CameraName.text() << "Mic: " + settings.MicDevice.text()
          << "Sound: " + settings.SoundDevice.text();
    return lines;
}

bool WriteDeviceReport(const QStringList& lines, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    for (const QString& line : lines)
        file.write((line + '\n').toUtf8());
    return file.commit();
}

void SaveDeviceList(QWidget* owner, const TSettingsRecord& settings,
                    const TRDeviceReportSources& sources) {
    TRWaitingReporter* waiting = InstalledWaiting();
    if (waiting) {
        waiting->Show();
        waiting->UpdateInfo("Scanning...");
    }
    const QStringList lines = DeviceReportLines(settings, sources);
    if (waiting)
        waiting->Close();
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    dialog.setNameFilter("Text file (*.txt)");
    dialog.selectFile(QDir::home().filePath("QMB_Devices.txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (WriteDeviceReport(lines, path))
        return;
    TRMessageBox box(owner);
    box.Execute("The device report cannot be written to " + QDir::toNativeSeparators(path) + ".",
                TRMessageBox::MB_OK, TRMessageBox::MB_ICONERROR);
}
