#include "core/URExportForms.h"

namespace {

TRExportForms installedForms;

} // namespace

void InstallExportForms(TRExportForms forms) {
    installedForms = std::move(forms);
}

const TRExportForms& InstalledExportForms() {
    return installedForms;
}
