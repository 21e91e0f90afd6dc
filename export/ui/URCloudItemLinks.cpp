#include "export/ui/URCloudItemLinks.h"

#include "core/ui/URStyle.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TRCloudItemLinksForm::TRCloudItemLinksForm(QWidget* parent)
    : QDialog(parent), links(this), btnClose(CloudButton("Close", "btnClose", this)) {
    setObjectName("TRCloudItemLinksForm");
    setWindowTitle("Tavrin");
    setStyleSheet(CloudFormStyleSheet());
    setFixedSize(Scaled(600, this), Scaled(321, this));
    btnClose->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(Scaled(24, this), Scaled(28, this), Scaled(24, this),
                                Scaled(16, this));
    content->addLayout(links.grid);
    content->addStretch();
    layout->addLayout(content, 1);
    layout->addWidget(CloudBottomBar(this, {}, {btnClose}));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
}

void TRCloudItemLinksForm::SetLinks(const QString& downloadLink, const QString& shareLink,
                                    const QString& mediaLink) {
    links.SetLinks(downloadLink.trimmed(), shareLink.trimmed(), mediaLink.trimmed());
    for (TRCloudLinkRow* row : {&links.share, &links.download, &links.media})
        row->SetVisible(!row->edit->text().isEmpty());
}

void TRCloudItemLinksForm::ExecuteLinks(const QString& downloadLink, const QString& shareLink,
                                        const QString& mediaLink) {
    SetLinks(downloadLink, shareLink, mediaLink);
    CenterOnMainForm(this);
    exec();
}
