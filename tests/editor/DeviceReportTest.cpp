// The capture-device report: its sections in order between the two 40-dash rules, the version
// and the three settings lines (also with no device at all), UTF-8 text on disk, and
// Ctrl+Shift+D in the editor: the waiting form's "Scanning...", the save dialog's default name,
// the file written, nothing written on Cancel or from the key-capture edit, and a message when
// the file cannot be written.

#include "core/URFormHooks.h"
#include "core/URSettings.h"
#include "core/ui/URMessageBox.h"
#include "editor/ui/UEditor.h"
#include "editor/ui/URDeviceReport.h"
#include "objects/URObjectsRegistry.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString Rule(40, '-');

TRDeviceReportSources Fakes(QStringList webcams, QStringList audio, QStringList displays) {
    TRDeviceReportSources sources;
    sources.Webcams = [webcams] { return webcams; };
    sources.AudioDevices = [audio] { return audio; };
    sources.Displays = [displays] { return displays; };
    sources.SystemVersion = [] { return QString("6.1"); };
    return sources;
}

void Names(TSettingsRecord& settings, const QString& camera, const QString& mic,
           const QString& sound) {
    settings.CameraName.setText(camera);
    settings.MicDevice.setText(mic);
    settings.SoundDevice.setText(sound);
}

TEST(DeviceReport, SectionsInOrderBetweenTheRulesThenVersionAndSettings) {
    TSettingsRecord settings;
    SetDefaultSettings(settings);
    struct Case {
        const char* what;
        TRDeviceReportSources sources;
        QStringList names;
        QStringList expected;
    };
    const Case cases[] = {
        {"devices",
         Fakes({"V4L2 Webcams = 1", "cam"}, {"Recording devices: mic", "Playback devices: out"},
               {"Screen: 1920x1080, depth 24"}),
         {"HD Cam", "Mikrofon Ü", "Monitor of out"},
         {"V4L2 Webcams = 1", "cam", "Recording devices: mic", "Playback devices: out", Rule,
          "Screen: 1920x1080, depth 24", Rule, "6.1", "Webcam: HD Cam", "Mic: Mikrofon Ü",
          "Sound: Monitor of out"}},
        {"no device at all",
         Fakes({}, {}, {}),
         {"", "", ""},
         {Rule, Rule, "6.1", "Webcam: ", "Mic: ", "Sound: "}},
    };
    for (const Case& c : cases) {
        Names(settings, c.names[0], c.names[1], c.names[2]);
        EXPECT_EQ(DeviceReportLines(settings, c.sources), c.expected) << c.what;
    }
}

TEST(DeviceReport, WrittenAsUtf8LinesOrRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.txt");
    ASSERT_TRUE(WriteDeviceReport({"Mic: Mikrofon Ü", "6.1"}, path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Mic: Mikrofon \xC3\x9C\n6.1\n"));
    EXPECT_FALSE(WriteDeviceReport({"x"}, dir.filePath("missing/report.txt")));
}

// Counts the waiting form's use.
struct FakeWaiting : TRWaitingReporter {
    void Show() override { ++shown; }
    void UpdateInfo(const QString& line) override { info << line; }
    void Close() override { ++closed; }
    int shown = 0, closed = 0;
    QStringList info;
};

class DeviceReportKeys : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterEngineKinds(); }
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        SetDefaultSettings(SettingsRecord);
        Names(SettingsRecord, "HD Cam", "Mic 1", "Out 1");
        previous_ = InstalledWaiting();
        InstallWaiting(&waiting_);
        editor_ = std::make_unique<TEditor>();
        editor_->DeviceReportSources = Fakes({"cam"}, {"mic"}, {"screen"});
        edit_ = new QLineEdit(editor_->centralWidget());
        editor_->show();
        editor_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor_.get()));
    }
    void TearDown() override {
        editor_.reset();
        InstallWaiting(previous_);
        SetDefaultSettings(SettingsRecord);
    }
    // Answers the next modal window of type T once it shows.
    template <class T> void WhenModal(std::function<void(T*)> answer) {
        auto* poll = new QTimer(editor_.get());
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
            if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                answer(modal);
            }
        });
        poll->start();
    }
    void Cancel() {
        WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    }
    void SaveAs(const QString& path) {
        WhenModal<QFileDialog>([this, path](QFileDialog* dialog) {
            suggested_ = dialog->selectedFiles().value(0);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept"); // a protected slot
        });
    }
    void CtrlShiftD(QWidget* target) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    }

    QTemporaryDir dir_;
    FakeWaiting waiting_;
    TRWaitingReporter* previous_ = nullptr;
    std::unique_ptr<TEditor> editor_;
    QLineEdit* edit_ = nullptr;
    QString suggested_;
};

TEST_F(DeviceReportKeys, CtrlShiftDScansAndSavesTheReport) {
    const QString path = dir_.filePath("devices.txt");
    SaveAs(path);
    CtrlShiftD(editor_->centralWidget());
    EXPECT_EQ(waiting_.shown, 1);
    EXPECT_EQ(waiting_.info, QStringList{"Scanning..."});
    EXPECT_EQ(waiting_.closed, 1);
    EXPECT_TRUE(suggested_.endsWith("/QMB_Devices.txt")) << suggested_.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), "cam\nmic\n" + Rule + "\nscreen\n" + Rule +
                                                     "\n6.1\nWebcam: HD Cam\nMic: Mic 1\n" +
                                                     "Sound: Out 1\n");
}

TEST_F(DeviceReportKeys, CancelAndTheKeyCaptureEditWriteNothing) {
    Cancel();
    CtrlShiftD(editor_->centralWidget());
    EXPECT_EQ(waiting_.shown, 1);
    EXPECT_TRUE(QDir(dir_.path()).entryList({"*.txt"}).isEmpty());

    edit_->setObjectName("edKeys");
    Cancel(); // should the report run all the same
    CtrlShiftD(edit_);
    EXPECT_EQ(waiting_.shown, 1) << "the key-capture edit took the keys";
}

TEST_F(DeviceReportKeys, AReportThatCannotBeWrittenSaysSo) {
    // Nobody, not even root, creates files in /sys.
    SaveAs("/sys/tavrin_devices.txt");
    QString message;
    WhenModal<TRMessageBox>([&message](TRMessageBox* box) {
        message = box->text();
        box->reject();
    });
    CtrlShiftD(editor_->centralWidget());
    EXPECT_TRUE(message.contains("cannot be written")) << message.toStdString();
}

} // namespace
