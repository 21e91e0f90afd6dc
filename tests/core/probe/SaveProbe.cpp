// A Tavrin run that is killed: builds the sample project in a new project folder below the
// temporary root given as first argument. Without a second argument it writes its recovery
// copy, prints the folder and waits to be killed. With "save <package>" it saves the project to
// that package again and again, printing "saved" after each save, until it is killed.
#include "../SaveTestProject.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"

#include <QCoreApplication>
#include <iostream>
#include <string>

namespace {

int SaveUntilKilled(TRProject& project, const QString& package) {
    for (;;) {
        const QString error = project.SaveToFile(package);
        if (!error.isEmpty()) {
            std::cerr << error.toStdString() << std::endl;
            return 1;
        }
        std::cout << "saved" << std::endl;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    QCoreApplication application(argc, argv);
    SetSettingsSaveEnabled(false);
    SetDefaultSettings(SettingsRecord);
    TempRoot = QString::fromLocal8Bit(argv[1]);
    RegisterEngineKinds();
    TRProject project;
    if (project.TempFolder.isEmpty()) {
        std::cerr << project.TempFolderError().toStdString() << std::endl;
        return 1;
    }
    savetest::BuildSampleProject(project);
    if (argc >= 4 && std::string(argv[2]) == "save")
        return SaveUntilKilled(project, QString::fromLocal8Bit(argv[3]));
    if (!project.AutoSave())
        return 1;
    std::cout << project.TempFolder.toStdString() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
