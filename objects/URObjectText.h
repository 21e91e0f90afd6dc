#pragma once
// The text of a timeline object: its text group laid out in the object's text rectangle, with
// the time variables expanded, and drawn letter by letter through the text renderer into the
// shared device context under its current transform.

#include "platform/render/Geometry.h"
#include "platform/render/Types.h"

#include <QString>
#include <functional>

class TRObject;

// The object's text with "<$te>", "<$tems>", "<$teh>" (time since the object's start) and
// "<$tr>", "<$trms>", "<$trh>" (time left until its end) replaced; case-sensitive.
QString ExpandTimeVariables(const TRObject& object, const QString& text);

// Whether text animations run now (the player plays, the playhead is dragged or the project
// exports); the editor installs it. Empty: text stands still.
extern std::function<bool()> TextAnimationRunning;

// Lays out and draws the object's text in `rect` (the object's zero-based text rectangle), in
// an outline pass and a fill pass when the text has an outline. Nothing without a checked text
// group, a text-path group and a text-animation group, or when the text is blank. Returns the
// union of the letters when the text erases the background (then nothing is filled), else
// nullptr.
platform::render::GeometryPtr DrawObjectText(TRObject& object, const platform::render::RectF& rect);

// DrawObjectText for object painting, which uses the text's geometry on its own.
void PaintObjectText(TRObject& object, const platform::render::RectF& layoutRect);

// Makes object painting draw text through PaintObjectText.
void InstallObjectTextPainter();
