#include "core/ui/URMessageBox.h"

#include "core/URServerMessages.h"
#include "core/URSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int StopGlyph = 113;
constexpr int QuestionGlyph = 89;
constexpr int InformationGlyph = 90;
constexpr char ButtonProperty[] = "code";

QString digit(bool value) {
    return value ? "1" : "0";
}

} // namespace

std::uint8_t* ConfirmationFlag(TRConfirmationMessage confirmation) {
    switch (confirmation) {
    case cmDelete:
        return &SettingsRecord.ConfirmDelete;
    case cmTrim:
        return &SettingsRecord.ConfirmTrim;
    case cmSplit:
        return &SettingsRecord.ConfirmSplit;
    case cmNone:
        break;
    }
    return nullptr;
}

TRMessageBox::TRMessageBox(QWidget* parent)
    : QDialog(parent), icon_(new QLabel(this)), lbtext_(new QLabel(this)),
      cbDoNotShow_(new QCheckBox("Do not show this message again", this)),
      btnA_(new QPushButton(this)), btnB_(new QPushButton(this)), btnC_(new QPushButton(this)) {
    setObjectName("TRMessageBox");
    setWindowTitle("Tavrin");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(400, 170);
    icon_->setFixedSize(50, 50);
    lbtext_->setWordWrap(true);
    lbtext_->setMinimumSize(300, 75);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_, 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->addWidget(lbtext_);
    right->addWidget(cbDoNotShow_);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {btnA_, btnB_, btnC_}) {
        button->setFixedSize(75, 25);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, button] {
            Tag = button->property(ButtonProperty).toInt();
            close();
        });
    }
    btnA_->setObjectName("btnA");
    btnB_->setObjectName("btnB");
    btnC_->setObjectName("btnC");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void TRMessageBox::makeReady(const QString& text) {
    const bool visible = isVisible();
    const bool disabled = !isEnabled();
    if (!visible && !disabled && !running_)
        return;
    // The box cannot be shown modally now: report the state, then reset what can be reset.
    QString reply;
    SendServerMessage(reply, true, 0,
                      "MessageBox_" + digit(visible) + digit(disabled) + digit(running_) +
                          digit(false) + "_" + lbtext_->text() + "_" + text);
    if (!running_)
        hide();
    setEnabled(true);
}

int TRMessageBox::Execute(const QString& text, int uType, int uIcon,
                          TRConfirmationMessage confirmation) {
    makeReady(text);
    if (running_) {
        // Asked again while its own question is open: a modal loop cannot run inside itself, so
        // the new message gets a box of its own and the open question stays.
        TRMessageBox nested(this);
        return nested.Execute(text, uType, uIcon, confirmation);
    }
    std::uint8_t* flag = ConfirmationFlag(confirmation);
    if (flag && *flag == 0)
        return IDYES;
    cbDoNotShow_->setChecked(false);
    cbDoNotShow_->setVisible(flag != nullptr);
    lbtext_->setText(text);
    Tag = IDCANCEL;
    setIcon(uIcon);
    setButtons(uType);
    raise();
    running_ = true;
    exec();
    running_ = false;
    // Only an answer that may be repeated without asking is remembered.
    if (flag)
        *flag = cbDoNotShow_->isChecked() && Tag == IDYES ? 0 : 1;
    return Tag;
}

void TRMessageBox::setButton(QPushButton* button, const QString& caption, int code) {
    button->setText(caption);
    button->setProperty(ButtonProperty, code);
    button->show();
}

void TRMessageBox::setButtons(int uType) {
    btnA_->setDefault(false);
    btnC_->setDefault(true);
    switch (uType) {
    case MB_OK:
        btnA_->hide();
        btnB_->hide();
        setButton(btnC_, "OK", IDOK);
        Tag = IDOK;
        break;
    case MB_YESNOCANCEL:
        setButton(btnA_, "Yes", IDYES);
        setButton(btnB_, "No", IDNO);
        setButton(btnC_, "Cancel", IDCANCEL);
        btnA_->setDefault(true);
        break;
    case MB_YESNO:
        btnA_->hide();
        setButton(btnB_, "Yes", IDYES);
        setButton(btnC_, "No", IDNO);
        Tag = IDNO;
        break;
    case MB_RETRYCANCEL:
        btnA_->hide();
        setButton(btnB_, "Retry", IDRETRY);
        setButton(btnC_, "Cancel", IDCANCEL);
        break;
    default:
        break; // the buttons of the previous use stay
    }
}

void TRMessageBox::setIcon(int uIcon) {
    QStyle::StandardPixmap pixmap;
    switch (uIcon) {
    case MB_ICONERROR:
    case MB_ICONWARNING:
        glyph_ = StopGlyph;
        pixmap = QStyle::SP_MessageBoxCritical;
        break;
    case MB_ICONQUESTION:
        glyph_ = QuestionGlyph;
        pixmap = QStyle::SP_MessageBoxQuestion;
        break;
    case MB_ICONINFO:
        glyph_ = InformationGlyph;
        pixmap = QStyle::SP_MessageBoxInformation;
        break;
    default:
        return; // the glyph of the previous use stays
    }
    icon_->setPixmap(style()->standardIcon(pixmap).pixmap(48, 48));
}

void TRMessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        btnC_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString TRMessageBox::text() const {
    return lbtext_->text();
}

QPushButton* TRMessageBox::button(char name) const {
    return name == 'A' ? btnA_ : name == 'B' ? btnB_ : btnC_;
}
