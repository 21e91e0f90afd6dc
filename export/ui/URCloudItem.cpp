#include "export/ui/URCloudItem.h"

#include "core/ui/URStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int IconSize = 30;

} // namespace

QString ExtractFileExt(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0 || dot < fileName.lastIndexOf('/'))
        return {};
    return fileName.mid(dot);
}

TRCloudItemForm::TRCloudItemForm(QWidget* parent)
    : QDialog(parent), lbtext(new QLabel(this)), edit(new QLineEdit(this)),
      btnCreate(CloudButton("Create", "btnCreate", this)),
      btnClose(CloudButton("Cancel", "btnClose", this)),
      FIconLabel(CloudIconLabel(TRCloudIcon::NewFolder, IconSize, this)) {
    setObjectName("TRCloudItemForm");
    setWindowTitle("Tavrin");
    setStyleSheet(CloudFormStyleSheet());
    setFixedSize(Scaled(500, this), Scaled(170, this));
    lbtext->setObjectName("lbtext");
    lbtext->setWordWrap(true);
    lbtext->setFont(StyleFont(12));
    edit->setObjectName("edit");
    btnCreate->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Scaled(8, this));
    texts->addWidget(lbtext);
    texts->addWidget(edit);
    texts->addStretch();
    auto* content = new QHBoxLayout;
    content->setContentsMargins(Scaled(20, this), Scaled(18, this), Scaled(20, this), 0);
    content->setSpacing(Scaled(16, this));
    content->addWidget(FIconLabel, 0, Qt::AlignTop);
    content->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(content, 1);
    layout->addWidget(CloudBottomBar(this, {}, {btnCreate, btnClose}));

    connect(btnCreate, &QPushButton::clicked, this, [this] {
        Tag = 1;
        close();
    });
    connect(btnClose, &QPushButton::clicked, this, [this] {
        Tag = 0;
        close();
    });
}

void TRCloudItemForm::Prepare(TRCloudIcon icon, const QString& action, const QString& text,
                              const QString& name) {
    Tag = 0;
    FIcon = icon;
    FIconLabel->setPixmap(CloudIcon(icon).pixmap(FIconLabel->size(), devicePixelRatioF()));
    btnCreate->setText(action);
    lbtext->setText(text);
    edit->setText(name);
    edit->selectAll();
    edit->setFocus();
}

bool TRCloudItemForm::Run() {
    CenterOnMainForm(this);
    exec();
    return Tag == 1;
}

QString TRCloudItemForm::ExecuteNewFolder() {
    Prepare(TRCloudIcon::NewFolder, "Create", "New Folder", "Untitled");
    return Run() ? edit->text() : QString();
}

QString TRCloudItemForm::ExecuteRename(const QString& name, bool isFolder) {
    Prepare(TRCloudIcon::Rename, "Rename", "Rename", name);
    const QString extension = ExtractFileExt(name);
    if (!Run())
        return {};
    QString result = edit->text();
    if (!isFolder && ExtractFileExt(result).trimmed().isEmpty())
        result += extension;
    return result;
}
