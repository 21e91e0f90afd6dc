#pragma once
// The Preferences dialog: the program-wide settings of the editor and the recorder (update
// checks, quick setups, confirmations, default durations, the temporary folder and loudness
// normalisation). It loads them from the settings record and writes them back only on Save.
// Made for each use.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;
class TRGPEditEx;

class TPreferencesForm : public QDialog {
    Q_OBJECT
public:
    explicit TPreferencesForm(QWidget* parent = nullptr);

    // Shows the settings; true when the user saved them into the settings record.
    bool Execute();
    // Step 1 of Execute: every control from the settings record.
    void Load();
    // What Save writes into the settings record; asks for a restart when the folder changed.
    void Store();

    // 1 after Save, 0 after Cancel.
    int Tag = 0;

    QCheckBox* EdCfu;
    TRGPEditEx* edObject;
    TRGPEditEx* edTransition;
    TRGPEditEx* edAnimation;
    QCheckBox* edShowSRconfigurator;
    QCheckBox* edShowVRconfigurator;
    QCheckBox* edCMDelete;
    QCheckBox* edCMTrim;
    QCheckBox* edCMSplit;
    QLabel* edFilePath;
    QToolButton* btnFolder;
    QToolButton* btnReset;
    QCheckBox* edLoudness;
    TRGPEditEx* edLoudnessV;
    QPushButton* btnSave;
    QPushButton* btnCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    TRGPEditEx* ValueEditor(const QString& caption, int minimum, int maximum, const QString& unit,
                            int defaultValue, int snapDelta, const QList<int>& snapValues);
    void LoudnessClick();
    void FolderClick();
    void ResetClick();
};
