#include "objects/kinds/URKindsRegistry.h"

#include "core/URProject.h"
#include "objects/kinds/URAudio.h"
#include "objects/kinds/URCaption.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URScreenRecorder.h"
#include "objects/kinds/URShape.h"
#include "objects/kinds/URVideo.h"

namespace {

template <class Kind> std::unique_ptr<TRObject> Create(TRProject* project, TRObjectType type) {
    return std::make_unique<Kind>(project, type);
}

} // namespace

void RegisterDrawableKinds() {
    RegisterObjectKind(otImage, Create<TRImage>);
    RegisterObjectKind(otShape, Create<TRShape>);
    RegisterObjectKind(otText, Create<TRText>);
    RegisterObjectKind(otAudio, Create<TRAudio>);
    RegisterObjectKind(otCaption, Create<TRCaption>);
    RegisterObjectKind(otVideo, Create<TRVideo>);
    RegisterObjectKind(otScreenRecorder, Create<TRScreenRecorder>);
    RecordedTracksLoader = LoadRecordedTracks;
}
