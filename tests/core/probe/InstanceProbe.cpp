// Runs the start's instance check with its own arguments and prints "ok" (and whether it is the
// first instance) or the refusal text; then holds the mutex until its input closes.
#include "core/URStartup.h"

#include <QCoreApplication>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const TRCheckResult failure = CheckInstance(QCoreApplication::arguments().mid(1));
    if (failure) {
        std::cout << "refused " << QString(failure->message).replace('\r', '|').toStdString()
                  << std::endl;
        return 3;
    }
    std::cout << "ok first=" << (FirstInstance ? 1 : 0) << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
