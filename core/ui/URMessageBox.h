#pragma once
// The program's message box for user-facing messages and questions. It follows the button and
// icon codes of the classic system message box and adds three confirmations (delete, trim,
// split) that the user can switch off with "Do not show this message again".

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;

enum TRConfirmationMessage { cmNone, cmDelete, cmTrim, cmSplit };

class TRMessageBox : public QDialog {
    Q_OBJECT
public:
    // Button codes (uType), icon codes (uIcon) and results.
    enum : int { MB_OK = 0, MB_YESNOCANCEL = 3, MB_YESNO = 4, MB_RETRYCANCEL = 5 };
    enum : int { MB_ICONERROR = 16, MB_ICONQUESTION = 32, MB_ICONWARNING = 48, MB_ICONINFO = 64 };
    enum : int { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

    explicit TRMessageBox(QWidget* parent = nullptr);

    // Shows the text modally and returns the code of the button that closed it, or the code of
    // the box's "closed otherwise" answer. A confirmation switched off answers Yes at once.
    int Execute(const QString& text, int uType, int uIcon,
                TRConfirmationMessage confirmation = cmNone);

    // The result of the running box; each button carries its code.
    int Tag = 2;
    // The glyph shown (113 stop sign, 89 question mark, 90 information sign).
    int Glyph() const { return glyph_; }
    QString text() const;
    QPushButton* button(char name) const; // 'A', 'B' or 'C'
    QCheckBox* doNotShowBox() const { return cbDoNotShow_; }
    bool isRunning() const { return running_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void makeReady(const QString& text);
    void setButtons(int uType);
    void setIcon(int uIcon);
    void setButton(QPushButton* button, const QString& caption, int code);

    QLabel* icon_;
    QLabel* lbtext_;
    QCheckBox* cbDoNotShow_;
    QPushButton* btnA_;
    QPushButton* btnB_;
    QPushButton* btnC_;
    int glyph_ = 0;
    bool running_ = false;
};

// The flag of the settings record bound to a confirmation, or null for cmNone.
std::uint8_t* ConfirmationFlag(TRConfirmationMessage confirmation);
