// Works in a new project folder below the temporary root given as first argument, like a
// running Tavrin, and holds it until its input closes. The second argument says how:
// "project" writes "project.xml" into a bare folder, "empty" leaves it empty, and "editor"
// makes the folder the way the editor does, with a new project that writes its recovery copy
// and removes its folder when it is closed. Prints the folder, or "error: " with the reasons
// the project and a save of it give when no folder could be made.
#include "core/URProject.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"

#include <QFile>
#include <iostream>
#include <memory>
#include <string>

namespace {

void WaitForTheEnd() {
    std::string line;
    std::getline(std::cin, line);
}

int RunEditorProject() {
    auto project = std::make_unique<TRProject>();
    if (project->TempFolder.isEmpty()) {
        const QString saved = project->SaveToFile(TempRoot + "../Saved.qmb");
        std::cout << "error: " << project->TempFolderError().toStdString()
                  << " | save: " << saved.toStdString() << std::endl;
        WaitForTheEnd();
        return 0;
    }
    if (!project->AutoSave())
        return 1;
    std::cout << project->TempFolder.toStdString() << std::endl;
    WaitForTheEnd();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    TempRoot = QString::fromLocal8Bit(argv[1]);
    const std::string mode = argc < 3 ? "project" : argv[2];
    if (mode == "editor")
        return RunEditorProject();
    const QString folder = NewProjectTempFolder();
    if (mode != "empty") {
        QFile project(folder + "project.xml");
        if (!project.open(QIODevice::WriteOnly))
            return 1;
    }
    std::cout << folder.toStdString() << std::endl;
    WaitForTheEnd();
    return 0;
}
