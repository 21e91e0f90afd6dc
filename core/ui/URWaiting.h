#pragma once
// The non-modal "Please wait" form with one information line, shown during downloads and other
// short waits. The caller closes it when done.

#include "core/URFormHooks.h"

#include <QDialog>

class QLabel;

class TRWaiting : public QDialog, public TRWaitingReporter {
    Q_OBJECT
public:
    // Installs itself as the waiting form of the engine's operations.
    explicit TRWaiting(QWidget* parent = nullptr);
    ~TRWaiting() override;

    // Shows the form with an empty information line; "Please wait" is painted before it returns.
    void Execute();
    // Shows the line at once and lets the user interface process its pending events.
    void UpdateInfo(const QString& info) override;
    void Show() override { Execute(); }
    void Close() override { close(); }

    QString info() const;

private:
    QLabel* icon_;
    QLabel* lbtext_;
    QLabel* lbinfo_;
};
