#pragma once
// What the cloud forms share: their icons, their look (bottom bar, glyph buttons, busy bar),
// the link rows (label, read-only edit, copy and view buttons) and the two things a link row
// does: copy with the warning beep and open a web address, https only.

#include <QIcon>
#include <QString>
#include <functional>
#include <initializer_list>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

enum class TRCloudIcon {
    NewFolder,
    Rename,
    Delete,
    Link,
    Copy,
    View,
    Error,
    FolderClosed,
    FolderOpen,
};

// The icon drawn anew at each size and device pixel ratio; a disabled icon is dimmed.
QIcon CloudIcon(TRCloudIcon icon);
// A label showing the icon at `size` design pixels.
QLabel* CloudIconLabel(TRCloudIcon icon, int size, QWidget* parent);
// A flat button showing the icon, with a hint.
QToolButton* CloudGlyphButton(TRCloudIcon icon, const QString& hint, const QString& name,
                              QWidget* parent);
// A push button of the bottom bar.
QPushButton* CloudButton(const QString& caption, const QString& name, QWidget* parent);
// The bar along a form's or page's bottom: `left` buttons at its left, `right` at its right.
QWidget* CloudBottomBar(QWidget* parent, std::initializer_list<QWidget*> left,
                        std::initializer_list<QWidget*> right);
// The look of the cloud forms beside the program's style.
QString CloudFormStyleSheet();
// Moves a form to the centre of the main form (the active window), when there is one.
void CenterOnMainForm(QWidget* form);

// A text whose line ends are CR LF or CR with line feeds, as labels break lines.
QString WithLineBreaks(QString text);

// Opens an https address in the default browser; anything else is not opened (false).
bool OpenCloudLink(const QString& url);
// Puts the text on the clipboard and sounds the warning beep.
void CopyCloudLink(const QString& text);
// Replaces the warning beep (tests count it); an empty function restores the system's.
void SetWarningBeep(std::function<void()> beep);

// One row of links: a label, a read-only edit, a copy and a view button, in a grid's row.
class TRCloudLinkRow {
public:
    // `caption` "Share", "Download" or "Media"; `key` names the widgets after it (lbShare,
    // edShareLink), `copyName` and `viewName` the two buttons.
    TRCloudLinkRow(QWidget* parent, QGridLayout* grid, int row, const QString& caption,
                   const QString& key, const QString& copyName, const QString& viewName);

    QLabel* label;
    QLineEdit* edit;
    QToolButton* copy;
    QToolButton* view;

    void SetVisible(bool visible);
};

// The three link rows, top to bottom Share, Download and Media, in a grid of their own.
class TRCloudLinkRows {
public:
    explicit TRCloudLinkRows(QWidget* parent);

    QGridLayout* grid;
    TRCloudLinkRow share;
    TRCloudLinkRow download;
    TRCloudLinkRow media;

    // Puts the links into the edits as given.
    void SetLinks(const QString& downloadLink, const QString& shareLink, const QString& mediaLink);
};
