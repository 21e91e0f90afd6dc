#pragma once
// The data of the exported web page's interactivity: the click areas of the objects' Interactivity
// groups and the moments of the video-action objects, for a range of the project.

#include "core/UROrderedJson.h"
#include "platform/render/Types.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

class TRObject;
class TRProject;

// One click-area object per keyframe span of `object` whose Interactivity group is checked and
// that meets the range; its corners come from the placement of its own keyframe, mapped by
// `transform` from project pixels to page pixels. Times are ms from `timeStart`.
std::vector<TROrderedJson> GetObjectClickAreas(TRObject& object, std::int32_t timeStart,
                                               std::int32_t timeEnd,
                                               const platform::render::Matrix3x2& transform);
// The members "clickareas" and "videoactions" (each only when it has an entry), separated by
// "," and without braces; empty when the range has neither.
QByteArray GetHTMLDataInteractivity(TRProject& project, std::int32_t timeStart,
                                    std::int32_t timeEnd,
                                    const platform::render::Matrix3x2& transform);
