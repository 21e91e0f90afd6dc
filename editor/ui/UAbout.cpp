#include "editor/ui/UAbout.h"

#include "core/IKAnimation.h"
#include "core/URServerMessages.h"
#include "core/URUtils.h"
#include "core/ui/URGlyphs.h"
#include "core/ui/URStyle.h"
#include "platform/system/Shell.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tabout::Tabout(QWidget* parent) : QDialog(parent) {
    setObjectName("Tabout");
    BuildForm();
}

Tabout::~Tabout() = default;

void Tabout::BuildForm() {
    setWindowTitle("About");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    imgLogo = new QLabel(this);
    imgLogo->setObjectName("imgLogo");
    imgLogo->setPixmap(GlyphIcon(GlyphRecording, QColor(TRStyleColors::Text))
                           .pixmap(Scaled(56, this), Scaled(56, this)));
    auto* name = new QLabel("Tavrin", this);
    name->setFont(StyleFont(22, true));
    lbversion = new QLabel(this);
    lbversion->setObjectName("lbversion");
    lbhome = new QLabel(HomeAddress(), this);
    lbhome->setObjectName("lbhome");
    lbhome->setCursor(Qt::PointingHandCursor);
    lbhome->setStyleSheet(QString("color: #%1;").arg(TRStyleColors::Highlight, 6, 16, QChar('0')));
    lbhome->installEventFilter(this);
    auto* pButtons = new QWidget(this);
    pButtons->setObjectName("pButtons");
    btnSave = new QPushButton("OK", pButtons);
    btnSave->setObjectName("btnSave");
    btnSave->setDefault(true);
    auto* buttons = new QHBoxLayout(pButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(btnSave);

    auto* text = new QVBoxLayout;
    text->setSpacing(Scaled(4, this));
    text->addWidget(name);
    text->addWidget(lbversion);
    text->addWidget(lbhome);
    auto* head = new QHBoxLayout;
    head->setSpacing(Scaled(16, this));
    head->addWidget(imgLogo, 0, Qt::AlignTop);
    head->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Scaled(20, this), Scaled(18, this), Scaled(20, this),
                               Scaled(14, this));
    layout->setSpacing(Scaled(18, this));
    layout->addLayout(head);
    layout->addWidget(pButtons);
    setMinimumWidth(Scaled(340, this));
    connect(btnSave, &QPushButton::clicked, this, &QDialog::accept);
}

void Tabout::Execute() {
    lbversion->setText("Version " + GetVersionString());
    exec();
}

void Tabout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Without a compositing manager the window manager ignores the opacity, and the box
    // simply shows at once.
    setWindowOpacity(0);
    FPropAnimation = std::make_unique<TIKPropertyAnimation>(this, "windowOpacity", TIKValue(1.0));
    FPropAnimation->Duration = 0.3;
    FPropAnimation->FreeOnFinished = false;
    FPropAnimation->Start();
}

bool Tabout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbhome) {
        QFont font = lbhome->font();
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            platform::system::openUrl(HomeAddress());
            return true;
        case QEvent::Enter:
        case QEvent::Leave:
            font.setUnderline(event->type() == QEvent::Enter);
            lbhome->setFont(font);
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
