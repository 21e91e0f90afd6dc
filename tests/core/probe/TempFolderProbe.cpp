// Works in a new project folder below the temporary root given as first argument, like a
// running Tavrin: prints the folder, writes "project.xml" into it unless the second argument is
// "empty", and holds the folder until its input closes.
#include "core/URTempFolders.h"
#include "core/URUtils.h"

#include <QFile>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    TempRoot = QString::fromLocal8Bit(argv[1]);
    const QString folder = NewProjectTempFolder();
    if (argc < 3 || std::string(argv[2]) != "empty") {
        QFile project(folder + "project.xml");
        if (!project.open(QIODevice::WriteOnly))
            return 1;
    }
    std::cout << folder.toStdString() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
