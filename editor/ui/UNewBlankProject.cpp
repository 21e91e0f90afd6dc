#include "editor/ui/UNewBlankProject.h"

#include "core/URPropProjectSize.h"
#include "core/URUtils.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* SizeEdit(const char* name, int maximum, QWidget* parent) {
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(100, maximum);
    edit->setSuffix(" px");
    edit->setMinimumWidth(110);
    return edit;
}

} // namespace

Tnewblankproject::Tnewblankproject(QWidget* parent)
    : QDialog(parent), edName(new QLineEdit(this)), cbpresets(new QComboBox(this)),
      edWidth(SizeEdit("edWidth", 3840, this)), edHeight(SizeEdit("edHeight", 2160, this)),
      btnCreate(new QPushButton("Create", this)), btnCancel(new QPushButton("Cancel", this)) {
    setObjectName("Tnewblankproject");
    setWindowTitle("Create New Project");
    edName->setObjectName("edName");
    edName->setMinimumWidth(300);
    cbpresets->setObjectName("cbpresets");
    cbpresets->addItem("Custom Size");
    for (const TRProjectSizePreset& preset : ProjectSizePresets)
        cbpresets->addItem(
            QString("%1 x %2  %3").arg(preset.Width).arg(preset.Height).arg(preset.Name));
    btnCreate->setObjectName("btnCreate");
    btnCreate->setDefault(true);
    btnCancel->setObjectName("btnCancel");
    auto* form = new QFormLayout;
    form->setHorizontalSpacing(14);
    form->setVerticalSpacing(10);
    form->addRow("Name", edName);
    form->addRow("Presets", cbpresets);
    form->addRow("Width", edWidth);
    form->addRow("Height", edHeight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCreate);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(18);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(cbpresets, &QComboBox::currentIndexChanged, this, &Tnewblankproject::PresetsChange);
    // The line edit is its own context: it may finish editing while the dialog is destroyed.
    connect(edName, &QLineEdit::editingFinished, edName,
            [edit = edName] { edit->setText(ReplaceInvalidFileNameChars(edit->text())); });
    connect(btnCreate, &QPushButton::clicked, this, [this] {
        Tag = 1;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        Tag = 0;
        reject();
    });
}

void Tnewblankproject::PresetsChange(int index) {
    const bool custom = index <= 0;
    edWidth->setEnabled(custom);
    edHeight->setEnabled(custom);
    if (custom)
        return;
    edWidth->setValue(ProjectSizePresets[index - 1].Width);
    edHeight->setValue(ProjectSizePresets[index - 1].Height);
}

void Tnewblankproject::Load(const QString& name, int width, int height) {
    Tag = 0;
    edWidth->setValue(width);
    edHeight->setValue(height);
    edName->setText(name);
    cbpresets->setCurrentIndex(0);
    PresetsChange(0);
}

void Tnewblankproject::Result(QString& name, int& width, int& height) const {
    width = edWidth->value();
    height = edHeight->value();
    name = ReplaceInvalidFileNameChars(edName->text());
}

bool Tnewblankproject::Execute(QString& name, int& width, int& height) {
    Load(name, width, height);
    exec();
    Result(name, width, height);
    return Tag == 1;
}
