// A Tavrin run that crashes: builds the sample project in a new project folder below the
// temporary root given as argument, writes its recovery copy, prints the folder and waits to be
// killed.
#include "../SaveTestProject.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    SetSettingsSaveEnabled(false);
    SetDefaultSettings(SettingsRecord);
    TempRoot = QString::fromLocal8Bit(argv[1]);
    RegisterEngineKinds();
    TRProject project;
    project.TempFolder = NewProjectTempFolder();
    savetest::BuildSampleProject(project);
    if (!project.AutoSave())
        return 1;
    std::cout << project.TempFolder.toStdString() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
