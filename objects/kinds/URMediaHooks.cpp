#include "objects/kinds/URMediaHooks.h"

#include <QDebug>

namespace {

TRMediaFileChooser Chooser = nullptr;
TRMediaErrorBox ErrorBox = nullptr;

} // namespace

void InstallMediaFileChooser(TRMediaFileChooser chooser) {
    Chooser = chooser;
}

void InstallMediaErrorBox(TRMediaErrorBox box) {
    ErrorBox = box;
}

QString ChooseMediaFile(const QString& filter) {
    return Chooser ? Chooser(filter) : QString();
}

void ShowMediaError(const QString& text) {
    if (ErrorBox)
        ErrorBox(text);
    else
        qWarning().noquote() << text;
}
