#include "objects/kinds/URKindsRegistry.h"

#include "core/URProject.h"
#include "objects/kinds/URAudio.h"
#include "objects/kinds/URBlur.h"
#include "objects/kinds/URCaption.h"
#include "objects/kinds/URImage.h"
#include "objects/kinds/URKeystroke.h"
#include "objects/kinds/URScreenRecorder.h"
#include "objects/kinds/URShape.h"
#include "objects/kinds/URSketch.h"
#include "objects/kinds/URVideo.h"
#include "objects/kinds/URVideoAction.h"
#include "objects/kinds/URZoomArea.h"

namespace {

template <class Kind> std::unique_ptr<TRObject> Create(TRProject* project, TRObjectType type) {
    return std::make_unique<Kind>(project, type);
}

} // namespace

void RegisterDrawableKinds() {
    RegisterObjectKind(otImage, Create<TRImage>);
    RegisterObjectKind(otShape, Create<TRShape>);
    RegisterObjectKind(otText, Create<TRText>);
    RegisterObjectKind(otSketch, Create<TRSketch>);
    RegisterObjectKind(otKeystroke, Create<TRKeystroke>);
    RegisterObjectKind(otBlur, Create<TRBlur>);
    RegisterObjectKind(otZoomArea, Create<TRZoomArea>);
    RegisterObjectKind(otVideoAction, Create<TRVideoAction>);
    RegisterObjectKind(otAudio, Create<TRAudio>);
    RegisterObjectKind(otCaption, Create<TRCaption>);
    RegisterObjectKind(otVideo, Create<TRVideo>);
    RegisterObjectKind(otScreenRecorder, Create<TRScreenRecorder>);
    RecordedTracksLoader = LoadRecordedTracks;
}
