#include "objects/URProjectCaptions.h"

#include "core/URProject.h"
#include "objects/URPropCaption.h"

TRCaptionRecords CollectProjectCaptions(TRProject& project) {
    TRCaptionRecords captions;
    for (const auto& object : project.Objects()) {
        if (object->ObjectType() != otCaption)
            continue;
        if (const auto* group = object->Get<TRPropCaption>(ptCaption))
            captions.push_back(
                TRCaptionRecord{object->TimeStart(), object->TimeEnd(), group->FCaption});
    }
    return captions;
}

void ExportProjectCaptions(TRProject& project, const QString& fileName) {
    SaveSubRipFile(fileName, CollectProjectCaptions(project));
}
