// libFuzzer entry: any bytes as a project description, read as an open reads it.
#include "core/URProject.h"
#include "objects/URObjectsRegistry.h"

#include <QDomDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool registered = (RegisterEngineKinds(), true);
    (void)registered;
    QDomDocument document;
    if (!document.setContent(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    const QDomElement root = document.documentElement();
    if (root.tagName() != QStringLiteral("Project"))
        return 0;
    TRProject project;
    try {
        project.OpenFromXML(root);
    } catch (const TRDamagedProject&) {
    }
    return 0;
}
