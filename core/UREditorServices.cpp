#include "core/UREditorServices.h"

namespace {

class TNullEditorServices : public TREditorServices {
public:
    TRProject* ActiveProject() const override { return nullptr; }
    void RepaintScene() override {}
};

TNullEditorServices NullServices;
TREditorServices* Installed = &NullServices;

} // namespace

TREditorServices& EditorServices() {
    return *Installed;
}

void InstallEditorServices(TREditorServices* services) {
    Installed = services ? services : &NullServices;
}
