// The recorder tool bar's source menus and its docking menu: what the screen, camera, microphone
// and system-sound menus offer, built from the devices and the settings, and what their items do.

#include "core/URFrameRates.h"
#include "core/URPropProjectSize.h"
#include "recorder/URRecordingRun.h"
#include "recorder/ui/URRecordWindow.h"
#include "recorder/ui/URRecorder.h"
#include "recorder/ui/URRecorderIcons.h"
#include "recorder/ui/URRecorderWidgets.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

namespace {

// The screen menu's item kinds, kept in each item's "kind" property.
const char* const KindProperty = "kind";
enum class ScreenItem {
    Display,
    ExitFull,
    Preset,
    Recent,
    FitTo,
    FitApp,
    Mode,
    Rate,
    Quality,
    Method
};

QAction* addItem(QMenu* menu, const QString& caption, ScreenItem kind, int tag,
                 bool checked = false) {
    QAction* item = menu->addAction(caption);
    item->setData(tag);
    item->setProperty(KindProperty, int(kind));
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
}

QString presetCaption(const TRProjectSizePreset& preset) {
    const QString name = QString::fromUtf8(preset.Name);
    const QString size =
        QString::number(preset.Width) + " x " + QString::number(preset.Height) + "  \t";
    const int open = name.indexOf('['), close = name.indexOf(']');
    if (open < 0 || close < open)
        return size + name;
    return size + name.mid(open + 1, close - open - 1) + "\t" + name.mid(close + 1) +
           QString(10, ' ');
}

QString subTypeTag(const TRGuid& subType) {
    if (SameGuid(subType, MFVideoFormat_YUY2))
        return ", YUY2";
    if (SameGuid(subType, MFVideoFormat_NV12))
        return ", NV12";
    if (SameGuid(subType, MFVideoFormat_UYVY))
        return ", UYVY";
    if (SameGuid(subType, MFVideoFormat_I420))
        return ", I420";
    if (SameGuid(subType, MFVideoFormat_RGB32))
        return ", RGB32";
    if (SameGuid(subType, MFVideoFormat_ARGB32))
        return ", ARGB";
    if (SameGuid(subType, MFVideoFormat_RGB24))
        return ", RGB24";
    return WebCamSubTypeTag(subType);
}

const QString VideoInfoHeader2 = "{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}";

// Tick exactly one item among its siblings.
void tickAmongSiblings(QAction* chosen, QMenu* menu) {
    for (QAction* item : menu->actions())
        if (item->isCheckable())
            item->setChecked(item == chosen);
}

TWebCamFormat storedFormat(const TSettingsRecord& s) {
    TWebCamFormat f;
    f.Stream = s.CameraStream;
    f.Width = s.CameraWidth;
    f.Height = s.CameraHeight;
    f.FPS = s.CameraFPS;
    f.SubType = s.CameraSubType;
    f.FormatType = s.CameraFormatType;
    return f;
}

void storeFormat(TSettingsRecord& s, const QString& name, const TWebCamFormat& f) {
    s.CameraName.setText(name);
    s.CameraStream = f.Stream;
    s.CameraWidth = f.Width;
    s.CameraHeight = f.Height;
    s.CameraFPS = f.FPS;
    s.CameraSubType = f.SubType;
    s.CameraFormatType = f.FormatType;
}

} // namespace

QString CameraFormatCaption(const TWebCamFormat& f) {
    QString caption = QString::number(f.FPS) + " fps, " + QString::number(f.Width) + " x " +
                      QString::number(f.Height) + subTypeTag(f.SubType);
    if (f.Stream != 0)
        caption += "," + QString::number(f.Stream);
    if (GUIDToString(f.FormatType) == VideoInfoHeader2)
        caption += "*";
    return caption;
}

void TRRecorder::PopulateScreenMenu() {
    TSettingsRecord& s = SettingsRecord;
    PopupMenuScreen->clear();
    QMenu* full = PopupMenuScreen->addMenu("Full Screen");
    full->menuAction()->setCheckable(true);
    full->menuAction()->setChecked(s.FullScreen != 0);
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int n = 0; n < screens.size(); ++n)
        addItem(full, "Display " + QString::number(n + 1), ScreenItem::Display, n,
                s.FullScreen && s.FullScreenDisplay == n);
    full->addSeparator();
    QAction* exitFull = addItem(full, "Exit Full Screen", ScreenItem::ExitFull, 0);
    exitFull->setCheckable(false);
    exitFull->setEnabled(s.FullScreen != 0);
    QMenu* presets = PopupMenuScreen->addMenu("Presets");
    for (int i = 0; i < ProjectSizePresetCount; ++i)
        addItem(presets, presetCaption(ProjectSizePresets[i]), ScreenItem::Preset, i + 1)
            ->setCheckable(false);
    QMenu* recent = PopupMenuScreen->addMenu("Recent Areas");
    for (int i = 0; i < 10; ++i) {
        const TRRectI& r = s.RecentAreas[i];
        if (r == TRRectI{0, 0, 0, 0})
            continue;
        addItem(recent,
                QString::number(r.Right - r.Left) + " x " + QString::number(r.Bottom - r.Top) +
                    "   \t" + QString::number(r.Left) + "," + QString::number(r.Top),
                ScreenItem::Recent, i)
            ->setCheckable(false);
    }
    const QStringList windows = Frame()->ListAppWindows();
    if (!windows.isEmpty()) {
        QMenu* fit = PopupMenuScreen->addMenu("Fit To Application");
        for (int i = 0; i < windows.size(); ++i)
            addItem(fit, windows[i], ScreenItem::FitTo, i)->setCheckable(false);
    }
    PopupMenuScreen->addSeparator();
    if (!RecordToVideo) {
        QMenu* mode = PopupMenuScreen->addMenu("Capture Mode");
        addItem(mode, "Application", ScreenItem::Mode, 0, s.CaptureMode == 0);
        addItem(mode, "Video", ScreenItem::Mode, 1, s.CaptureMode == 1);
        QMenu* rate = PopupMenuScreen->addMenu("Capture Rate");
        for (int fps : VideoFrameRates)
            addItem(rate, QString::number(fps) + " fps ", ScreenItem::Rate, fps,
                    fps == s.CaptureRate);
        QMenu* quality = PopupMenuScreen->addMenu("Capture Quality");
        for (int q : VideoQualities)
            addItem(quality, QString::number(q) + " %", ScreenItem::Quality, q,
                    q == s.CaptureQuality);
    }
    QMenu* method = PopupMenuScreen->addMenu("Capture Method");
    addItem(method, "Copy", ScreenItem::Method, 0, s.CaptureMethod == 0);
    addItem(method, "Shared memory (recommended)", ScreenItem::Method, 1, s.CaptureMethod == 1);
    if (!windows.isEmpty()) {
        PopupMenuScreen->addSeparator();
        QMenu* resize = PopupMenuScreen->addMenu("Resize Application");
        for (int i = 0; i < windows.size(); ++i)
            addItem(resize, windows[i], ScreenItem::FitApp, i)->setCheckable(false);
        connect(PopupMenuScreen, &QMenu::aboutToShow, resize,
                [resize] { resize->menuAction()->setEnabled(SettingsRecord.FullScreen == 0); });
    }
}

void TRRecorder::unselectFullScreen() {
    SettingsRecord.FullScreen = 0;
    const QList<QAction*> top = PopupMenuScreen->actions();
    if (top.size() < 3 || !top[0]->menu())
        return;
    top[0]->setChecked(false);
    for (QAction* item : top[0]->menu()->actions()) {
        if (item->isCheckable())
            item->setChecked(false);
        else if (item->property(KindProperty).toInt() == int(ScreenItem::ExitFull))
            item->setEnabled(false);
    }
}

void TRRecorder::screenMenuAction(QAction* action) {
    if (!action || !action->property(KindProperty).isValid())
        return;
    TSettingsRecord& s = SettingsRecord;
    TrecordWindow* frame = Frame();
    const int tag = action->data().toInt();
    const bool wasDown = btnScreen->isChecked();
    switch (ScreenItem(action->property(KindProperty).toInt())) {
    case ScreenItem::Display: {
        QMenu* full = PopupMenuScreen->actions()[0]->menu();
        PopupMenuScreen->actions()[0]->setChecked(true);
        tickAmongSiblings(action, full);
        for (QAction* item : full->actions())
            if (item->property(KindProperty).toInt() == int(ScreenItem::ExitFull))
                item->setEnabled(true);
        s.FullScreen = 1;
        s.FullScreenDisplay = tag;
        frame->SetFullScreen(tag, wasDown);
        break;
    }
    case ScreenItem::ExitFull:
        unselectFullScreen();
        frame->RestoreFullScreen();
        frame->UpdateSize();
        if (!wasDown)
            ShowRecordWindow(true);
        break;
    case ScreenItem::Preset: {
        unselectFullScreen();
        const TRProjectSizePreset& preset = ProjectSizePresets[std::clamp(tag, 1, 16) - 1];
        frame->SetNewSize(preset.Width, preset.Height);
        ShowRecordWindow(true);
        break;
    }
    case ScreenItem::Recent: {
        unselectFullScreen();
        const TRRectI& r = s.RecentAreas[std::clamp(tag, 0, 9)];
        frame->SetCaptureBoundsRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
        frame->ForceVisibleOnScreen();
        ShowRecordWindow(true);
        break;
    }
    case ScreenItem::FitTo:
    case ScreenItem::FitApp:
        unselectFullScreen();
        if (ScreenItem(action->property(KindProperty).toInt()) == ScreenItem::FitTo)
            frame->FitToApp(tag);
        else
            frame->FitAppTo(tag);
        ShowRecordWindow(true);
        break;
    case ScreenItem::Mode:
    case ScreenItem::Rate:
    case ScreenItem::Quality:
    case ScreenItem::Method: {
        const auto kind = ScreenItem(action->property(KindProperty).toInt());
        if (kind == ScreenItem::Mode)
            s.CaptureMode = uint8_t(tag);
        else if (kind == ScreenItem::Rate)
            s.CaptureRate = tag;
        else if (kind == ScreenItem::Quality)
            s.CaptureQuality = tag;
        else
            s.CaptureMethod = uint8_t(tag);
        if (auto* menu = qobject_cast<QMenu*>(action->parent()))
            tickAmongSiblings(action, menu);
        UpdateCaption();
        return;
    }
    }
    btnScreen->setChecked(true);
    UpdateCaption();
}

void TRRecorder::PopulateCameraMenu() {
    TSettingsRecord& s = SettingsRecord;
    PopupMenuCamera->clear();
    const QStringList cameras = Devices.Cameras();
    btnCamera->setEnabled(!cameras.isEmpty());
    if (cameras.isEmpty())
        return;
    bool ticked = false;
    for (const QString& name : cameras) {
        QMenu* camera = PopupMenuCamera->addMenu(name);
        camera->menuAction()->setCheckable(true);
        const TWebCamFormats formats = Devices.CameraFormats(name);
        if (s.CameraName.isEmpty())
            for (const TWebCamFormat& f : formats)
                if (f.Width == 640) {
                    storeFormat(s, name, f);
                    break;
                }
        const TWebCamFormat chosen = storedFormat(s);
        for (int i = 0; i < int(formats.size()); ++i) {
            QAction* item = camera->addAction(CameraFormatCaption(formats[size_t(i)]));
            item->setCheckable(true);
            item->setData(i);
            const bool same = s.CameraName.text() == name && formats[size_t(i)].SameAs(chosen);
            item->setChecked(same);
            if (same) {
                camera->menuAction()->setChecked(true);
                ticked = true;
            }
            connect(item, &QAction::triggered, this, [this, item] { cameraFormatChosen(item); });
        }
    }
    // The stored format is gone: the first camera's first format becomes the choice, quietly.
    QMenu* first = PopupMenuCamera->actions()[0]->menu();
    if (!ticked && first && first->actions().size() > 2) {
        menuByProgram = true;
        first->actions()[0]->trigger();
        menuByProgram = false;
    }
    if (!RecordToVideo) {
        PopupMenuCamera->addSeparator();
        QMenu* quality = PopupMenuCamera->addMenu("Capture Quality");
        for (int q : VideoQualities) {
            QAction* item = quality->addAction(QString::number(q) + " %");
            item->setCheckable(true);
            item->setChecked(q == s.CameraQuality);
            connect(item, &QAction::triggered, this, [this, item, quality, q] {
                SettingsRecord.CameraQuality = q;
                tickAmongSiblings(item, quality);
                UpdateCaption();
            });
        }
        QAction* preview = PopupMenuCamera->addAction("Preview Camera");
        preview->setCheckable(true);
        preview->setChecked(s.CameraPreview != 0);
        connect(preview, &QAction::triggered, this,
                [preview] { SettingsRecord.CameraPreview = preview->isChecked() ? 1 : 0; });
    }
}

void TRRecorder::cameraFormatChosen(QAction* action) {
    auto* submenu = qobject_cast<QMenu*>(action->parent());
    if (!submenu)
        return;
    const QString name = submenu->title().remove('&').trimmed();
    const TWebCamFormats formats = Devices.CameraFormats(name);
    const int index = action->data().toInt();
    if (index < 0 || index >= int(formats.size()))
        return;
    storeFormat(SettingsRecord, name, formats[size_t(index)]);
    for (QAction* top : PopupMenuCamera->actions()) {
        if (top->isSeparator())
            break;
        top->setChecked(top->menu() == submenu);
        if (top->menu())
            for (QAction* item : top->menu()->actions())
                item->setChecked(item == action);
    }
    if (!menuByProgram) {
        stopCamera();
        const bool opened = startCamera();
        btnCamera->setChecked(opened);
    }
    UpdateCaption();
}

namespace {

// An endpoint menu: one item per device, ticked when it is the stored one.
QList<QAction*> fillEndpoints(QMenu* menu, const QStringList& devices, const QString& stored) {
    QList<QAction*> items;
    for (const QString& name : devices) {
        QAction* item = menu->addAction(name);
        item->setCheckable(true);
        item->setChecked(name == stored);
        items << item;
    }
    return items;
}

bool anyChecked(const QList<QAction*>& items) {
    return std::any_of(items.begin(), items.end(), [](QAction* a) { return a->isChecked(); });
}

} // namespace

void TRRecorder::PopulateMicMenu() {
    PopupMenuMic->clear();
    micMute = nullptr;
    const QStringList devices = Devices.AudioDevices(1);
    btnMic->setEnabled(!devices.isEmpty());
    if (devices.isEmpty())
        return;
    const QList<QAction*> items =
        fillEndpoints(PopupMenuMic, devices, SettingsRecord.MicDevice.text());
    for (QAction* item : items)
        connect(item, &QAction::triggered, this, [this, item] { micChosen(item); });
    PopupMenuMic->addSeparator();
    micMute = PopupMenuMic->addAction("Mute");
    micMute->setCheckable(true);
    micMute->setEnabled(FRun && FRun->MicOpen());
    connect(micMute, &QAction::triggered, this, [this] {
        micMute->setChecked(FAudioMicMute);
        if (FRun)
            FRun->ToggleMicMute();
    });
    if (!anyChecked(items)) {
        menuByProgram = true;
        items[0]->trigger();
        menuByProgram = false;
    }
}

void TRRecorder::micChosen(QAction* action) {
    SettingsRecord.MicDevice.setText(action->text().remove('&'));
    for (QAction* item : PopupMenuMic->actions())
        item->setChecked(item == action);
    if (!menuByProgram) {
        stopMic();
        startMic();
        btnMic->setChecked(true);
    }
    UpdateCaption();
}

void TRRecorder::PopulateSCMenu() {
    PopupMenuSC->clear();
    const QStringList devices = Devices.AudioDevices(0);
    btnSound->setEnabled(!devices.isEmpty());
    if (devices.isEmpty())
        return;
    const QList<QAction*> items =
        fillEndpoints(PopupMenuSC, devices, SettingsRecord.SoundDevice.text());
    for (QAction* item : items)
        connect(item, &QAction::triggered, this, [this, item] { soundChosen(item); });
    if (!anyChecked(items)) {
        menuByProgram = true;
        items[0]->trigger();
        menuByProgram = false;
    }
}

void TRRecorder::soundChosen(QAction* action) {
    SettingsRecord.SoundDevice.setText(action->text().remove('&'));
    for (QAction* item : PopupMenuSC->actions())
        item->setChecked(item == action);
    if (!menuByProgram) {
        stopSound();
        startSound();
        btnSound->setChecked(true);
    }
    UpdateCaption();
}

void TRRecorder::buildAlignmentMenu() {
    PopupMenuAlignment = new QMenu(titleAlignment);
    auto* group = new QActionGroup(PopupMenuAlignment);
    const std::pair<const char*, int> items[] = {{"None", 0}, {"Auto", 1},   {"-", 1000},
                                                 {"Top", 2},  {"Bottom", 3}, {"Left", 4},
                                                 {"Right", 5}};
    for (const auto& [caption, tag] : items) {
        if (tag == 1000) {
            PopupMenuAlignment->addSeparator();
            continue;
        }
        QAction* action = PopupMenuAlignment->addAction(caption);
        action->setData(tag);
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(PopupMenuAlignment, &QMenu::triggered, this, [this](QAction* action) {
        SettingsRecord.ToolbarAlignment = action->data().toInt();
        showAlignment();
    });
    connect(titleAlignment, &QToolButton::clicked, this, [this] {
        PopupMenuAlignment->popup(titleAlignment->mapToGlobal(titleAlignment->rect().bottomLeft()));
    });
    showAlignment();
}

void TRRecorder::showAlignment() {
    for (QAction* action : PopupMenuAlignment->actions())
        action->setChecked(!action->isSeparator() &&
                           action->data().toInt() == SettingsRecord.ToolbarAlignment);
    titleAlignment->setIcon(
        AlignmentIcon(SettingsRecord.ToolbarAlignment, titleAlignment->iconSize()));
}
