#pragma once
// What an object's clip on the timeline needs from the editor's timeline control: its geometry,
// brushes and text formats. The editor installs the control; without one no clip is drawn.

#include "platform/render/Brush.h"
#include "platform/render/StrokeStyle.h"
#include "platform/render/Text.h"

#include <QRectF>
#include <cstdint>
#include <memory>

struct TRTimelineControl {
    std::int32_t LeftSpace = 0;
    std::int32_t TopSpace = 0;
    std::int32_t TrackSpace = 0;
    std::int32_t TrackHeight = 28;
    std::int32_t PixelPS = 120; // pixels per second of project time
    float StartX = 0;           // scroll offsets
    float StartY = 0;
    std::int32_t FramePS = 30;
    float Width = 0;
    platform::render::BrushPtr m_brush_object, m_brush_back, m_brush_front, m_brush_selected,
        m_brush_stop;
    std::shared_ptr<platform::render::StrokeStyle> m_end_strokeStyle;
    std::shared_ptr<platform::render::TextFormat> m_ruler_textFormat, m_object_textFormat;
    platform::render::BrushPtr m_brush_wave; // a finished waveform (m_brush_stop: in analysis)
};

// The control the clips draw on, or nullptr (no editor window).
using TRTimelineControlFn = const TRTimelineControl* (*)();
extern TRTimelineControlFn TimelineControlHook;
const TRTimelineControl* TimelineControl();

// The rectangle of the project-time span [t0, t1] on `track`, on pixel centres.
QRectF TimelineTimeRect(const TRTimelineControl& control, std::int32_t track, std::int32_t t0,
                        std::int32_t t1);
