#pragma once
// The About box: the program's version and a link to the vendor's site, fading in over 0.3 s
// each time it opens. Made for each use.

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;
class TIKPropertyAnimation;

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(QWidget* parent = nullptr);
    ~Tabout() override;

    // Shows the version and the box, modally.
    void Execute();

    QLabel* lbversion;
    QLabel* lbhome;
    QLabel* imgLogo;
    QPushButton* btnSave;
    // The running fade-in, null once it ended.
    TIKPropertyAnimation* FadeIn() const { return FPropAnimation.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();

    std::unique_ptr<TIKPropertyAnimation> FPropAnimation;
};
