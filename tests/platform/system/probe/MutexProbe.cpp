// Holds the named mutex given as its argument, says "held" or "taken", and keeps it until its
// standard input closes.
#include "platform/system/NamedMutex.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    platform::system::NamedMutex mutex(QString::fromLocal8Bit(argv[1]));
    std::cout << (mutex.alreadyExisted() ? "taken" : "held") << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
