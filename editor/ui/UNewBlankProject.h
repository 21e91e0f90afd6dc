#pragma once
// The New Blank Project dialog: the name of the new project and its canvas size, from one of
// the size presets or typed. Created once and reused.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class Tnewblankproject : public QDialog {
    Q_OBJECT
public:
    explicit Tnewblankproject(QWidget* parent = nullptr);

    // Shows the dialog with the given values and returns them as the user left them (the name
    // cleaned of the characters a file name cannot hold); true after Create.
    bool Execute(QString& name, int& width, int& height);
    // What Execute does around the modal run, for callers that drive the form themselves.
    void Load(const QString& name, int width, int height);
    void Result(QString& name, int& width, int& height) const;

    // 1 after Create, 0 otherwise.
    int Tag = 0;
    QComboBox* Presets() const { return cbpresets; }
    QSpinBox* WidthEdit() const { return edWidth; }
    QSpinBox* HeightEdit() const { return edHeight; }
    QLineEdit* NameEdit() const { return edName; }
    QPushButton* CreateButton() const { return btnCreate; }
    QPushButton* CancelButton() const { return btnCancel; }

private:
    void PresetsChange(int index);

    QLineEdit* edName;
    QComboBox* cbpresets;
    QSpinBox* edWidth;
    QSpinBox* edHeight;
    QPushButton* btnCreate;
    QPushButton* btnCancel;
};
