#include "export/ui/URCloudFormKit.h"

#include "core/ui/URStyle.h"
#include "platform/system/Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIconEngine>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QToolButton>
#include <QUrl>

namespace {

constexpr const char* FolderBack = "#C8923A";
constexpr const char* FolderFront = "#E9B655";

// 24 x 24 drawings; "currentColor" stands for the icon's colour.
QByteArray Svg(TRCloudIcon icon) {
    const QByteArray stroke = "fill='none' stroke='currentColor' stroke-width='2' "
                              "stroke-linecap='round' stroke-linejoin='round'";
    switch (icon) {
    case TRCloudIcon::NewFolder:
        return "<path d='M3 7a2 2 0 0 1 2-2h4l2 2h8a2 2 0 0 1 2 2v8a2 2 0 0 1-2 2H5a2 2 0 0 "
               "1-2-2z' " +
               stroke + "/><path d='M12 10v6M9 13h6' " + stroke + "/>";
    case TRCloudIcon::Rename:
        return "<path d='M4 20h4L19 9l-4-4L4 16z' " + stroke + "/><path d='M13 7l4 4' " + stroke +
               "/>";
    case TRCloudIcon::Delete:
        return "<path d='M4 7h16M10 4h4M6 7l1 13h10l1-13M10 11v5M14 11v5' " + stroke + "/>";
    case TRCloudIcon::Link:
        return "<path d='M10 14a4 4 0 0 0 5.7 0l3-3a4 4 0 0 0-5.7-5.7l-1 1' " + stroke +
               "/><path d='M14 10a4 4 0 0 0-5.7 0l-3 3a4 4 0 0 0 5.7 5.7l1-1' " + stroke + "/>";
    case TRCloudIcon::Copy:
        return "<rect x='9' y='8' width='11' height='13' rx='2' " + stroke +
               "/><path d='M5 16V5a2 2 0 0 1 2-2h8' " + stroke + "/>";
    case TRCloudIcon::View:
        return "<path d='M19 14v4a2 2 0 0 1-2 2H6a2 2 0 0 1-2-2V7a2 2 0 0 1 2-2h4M14 4h6v6M20 "
               "4l-9 9' " +
               stroke + "/>";
    case TRCloudIcon::Error:
        return "<circle cx='12' cy='12' r='10' fill='#E5484D'/><path d='M12 6.5v7' fill='none' "
               "stroke='#FFFFFF' stroke-width='2.4' stroke-linecap='round'/><circle cx='12' "
               "cy='17.3' r='1.4' fill='#FFFFFF'/>";
    case TRCloudIcon::FolderClosed:
        return QByteArray("<path d='M2 6a2 2 0 0 1 2-2h5l2 2h9a2 2 0 0 1 2 2v10a2 2 0 0 1-2 "
                          "2H4a2 2 0 0 1-2-2z' fill='") +
               FolderBack + "'/><path d='M2 9h20v9a2 2 0 0 1-2 2H4a2 2 0 0 1-2-2z' fill='" +
               FolderFront + "'/>";
    case TRCloudIcon::FolderOpen:
        return QByteArray("<path d='M2 6a2 2 0 0 1 2-2h5l2 2h7a2 2 0 0 1 2 2v2H2z' fill='") +
               FolderBack +
               "'/><path d='M5 10h18l-3 8.6A2 2 0 0 1 18.1 20H4a2 2 0 0 1-2-2z' fill='" +
               FolderFront + "'/>";
    }
    return {};
}

class TCloudIconEngine : public QIconEngine {
public:
    explicit TCloudIconEngine(TRCloudIcon icon) : FIcon(icon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QColor color(TRStyleColors::Text);
        QByteArray text =
            "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 24 24'>" + Svg(FIcon) + "</svg>";
        text.replace("currentColor", color.name().toLatin1());
        QSvgRenderer renderer(text);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        renderer.render(painter, rect);
        painter->restore();
    }
    // A transparent pixmap of the size asked for (QIconEngine asks in device pixels).
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new TCloudIconEngine(FIcon); }

private:
    TRCloudIcon FIcon;
};

std::function<void()>& Beep() {
    static std::function<void()> beep;
    return beep;
}

const char* StyleSheet = R"(
QWidget#bottomBar { background: #1A1F26; border-top: 1px solid #3E4A5A; }
QPushButton { min-width: 76px; min-height: 22px; }
QPushButton:default { background: #00A1A1; color: #FFFFFF; border-color: #00A1A1; }
QPushButton:default:hover { background: #00B5B5; }
QPushButton:disabled { color: #7D848C; border-color: #2F3843; }
QToolButton { background: transparent; border: 1px solid transparent; border-radius: 3px;
    padding: 2px; }
QToolButton:hover { background: #2B333E; border-color: #3E4A5A; }
QToolButton:pressed { background: #00A1A1; }
QLineEdit { min-height: 20px; padding: 2px 6px; }
QLineEdit[readOnly="true"] { color: #C9CED4; }
QScrollBar:vertical { background: #181D24; width: 10px; margin: 0px; border: none; }
QScrollBar:horizontal { background: #181D24; height: 10px; margin: 0px; border: none; }
QScrollBar::handle:vertical { background: #3E4A5A; border-radius: 4px; min-height: 24px;
    margin: 1px; }
QScrollBar::handle:horizontal { background: #3E4A5A; border-radius: 4px; min-width: 24px;
    margin: 1px; }
QScrollBar::handle:hover { background: #56657A; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QAbstractScrollArea::corner { background: #181D24; }
QTreeWidget, QPlainTextEdit { background: #181D24; color: #ECEAE8; border: 1px solid #3E4A5A;
    border-radius: 3px; }
QTreeWidget:focus, QPlainTextEdit:focus { border-color: #00A1A1; }
QTreeWidget::item { padding: 2px 0px; }
QTreeWidget::item:selected { background: #00A1A1; color: #FFFFFF; }
QProgressBar { background: #181D24; border: 1px solid #3E4A5A; border-radius: 3px;
    max-height: 8px; text-align: center; color: transparent; }
QProgressBar::chunk { background: #00A1A1; border-radius: 2px; }
QLabel#caption { color: #9AA3AD; }
)";

} // namespace

QIcon CloudIcon(TRCloudIcon icon) {
    return QIcon(new TCloudIconEngine(icon));
}

QLabel* CloudIconLabel(TRCloudIcon icon, int size, QWidget* parent) {
    auto* label = new QLabel(parent);
    const int side = Scaled(size, parent);
    label->setFixedSize(side, side);
    label->setPixmap(CloudIcon(icon).pixmap(QSize(side, side), parent->devicePixelRatioF()));
    return label;
}

QToolButton* CloudGlyphButton(TRCloudIcon icon, const QString& hint, const QString& name,
                              QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(CloudIcon(icon));
    button->setIconSize(QSize(Scaled(18, parent), Scaled(18, parent)));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QPushButton* CloudButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QWidget* CloudBottomBar(QWidget* parent, std::initializer_list<QWidget*> left,
                        std::initializer_list<QWidget*> right) {
    auto* bar = new QWidget(parent);
    bar->setObjectName("bottomBar");
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedHeight(Scaled(50, parent));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(Scaled(16, parent), 0, Scaled(16, parent), 0);
    row->setSpacing(Scaled(8, parent));
    for (QWidget* widget : left)
        row->addWidget(widget);
    row->addStretch();
    for (QWidget* widget : right)
        row->addWidget(widget);
    return bar;
}

QString CloudFormStyleSheet() {
    return StyleSheet;
}

void CenterOnMainForm(QWidget* form) {
    const QWidget* main = QApplication::activeWindow();
    if (!main || main == form)
        return;
    form->move(main->frameGeometry().center() - form->rect().center());
}

bool OpenCloudLink(const QString& url) {
    const QUrl address(url.trimmed(), QUrl::StrictMode);
    if (!address.isValid() || address.scheme() != "https" || address.host().isEmpty())
        return false;
    return platform::system::openUrl(address.toString(QUrl::FullyEncoded));
}

void CopyCloudLink(const QString& text) {
    QApplication::clipboard()->setText(text);
    if (Beep())
        Beep()();
    else
        QApplication::beep();
}

void SetWarningBeep(std::function<void()> beep) {
    Beep() = std::move(beep);
}

TRCloudLinkRow::TRCloudLinkRow(QWidget* parent, QGridLayout* grid, int row, const QString& caption,
                               const QString& key, const QString& copyName,
                               const QString& viewName) {
    label = new QLabel(caption, parent);
    label->setObjectName("lb" + key);
    edit = new QLineEdit(parent);
    edit->setObjectName("ed" + key + "Link");
    edit->setReadOnly(true);
    copy = CloudGlyphButton(TRCloudIcon::Copy, "Copy to Clipboard", copyName, parent);
    view = CloudGlyphButton(TRCloudIcon::View, "View", viewName, parent);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(copy, row, 2);
    grid->addWidget(view, row, 3);
    QObject::connect(copy, &QToolButton::clicked, edit,
                     [field = edit] { CopyCloudLink(field->text()); });
    QObject::connect(view, &QToolButton::clicked, edit,
                     [field = edit] { OpenCloudLink(field->text()); });
}

void TRCloudLinkRow::SetVisible(bool visible) {
    for (QWidget* widget : {static_cast<QWidget*>(label), static_cast<QWidget*>(edit),
                            static_cast<QWidget*>(copy), static_cast<QWidget*>(view)})
        widget->setVisible(visible);
}

TRCloudLinkRows::TRCloudLinkRows(QWidget* parent)
    : grid(new QGridLayout), share(parent, grid, 0, "Share", "Share", "btnSCopy", "btnSOpen"),
      download(parent, grid, 1, "Download", "Download", "btnDcopy", "btnDOpen"),
      media(parent, grid, 2, "Media", "Media", "btnMCopy", "btnMOpen") {
    grid->setHorizontalSpacing(Scaled(8, parent));
    grid->setVerticalSpacing(Scaled(14, parent));
    grid->setColumnMinimumWidth(0, Scaled(70, parent));
}

void TRCloudLinkRows::SetLinks(const QString& downloadLink, const QString& shareLink,
                               const QString& mediaLink) {
    share.edit->setText(shareLink);
    download.edit->setText(downloadLink);
    media.edit->setText(mediaLink);
}

QString WithLineBreaks(QString text) {
    return text.replace("\r\n", "\n").replace('\r', '\n');
}
