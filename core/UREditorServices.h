#pragma once
// What the layers below the editor need of the editor window: the project being edited, the
// repaints after a change, the playback state, the selection, the canvas's guides and the
// canvas commands the inspector's buttons run. The editor window installs its implementation;
// until then (and in tests) a null implementation answers "no project, not playing" and does
// nothing. Services of controls that do not exist yet do nothing in the window as well.

#include <cstdint>

class TRObject;
class TRProject;

class TREditorServices {
public:
    virtual ~TREditorServices() = default;
    // The project the editor works on, or null.
    virtual TRProject* ActiveProject() const = 0;
    // Repaints the canvas after a property change.
    virtual void RepaintScene() = 0;
    // Repaints the timeline.
    virtual void RepaintTimeline() {}
    // The project's modified flag or end changed: caption, time label and scroll range follow.
    virtual void ProjectViewChanged(TRProject& /*project*/) {}
    // True while the player runs or the playhead is being dragged.
    virtual bool Playing() const { return false; }
    // Selects `object` in the active project (null: the project itself); with `unselect` every
    // multi-selection flag is cleared first.
    virtual void SetSelectedObject(TRObject* /*object*/, bool /*unselect*/) {}
    // The canvas's selection handles follow `object` after its placement changed.
    virtual void SelectionFollow(TRObject* /*object*/) {}
    // Removes the canvas's snap guides; with `repaint` the canvas shows it at once. True when
    // there were guides.
    virtual bool ClearSceneHelperLines(bool /*repaint*/) { return false; }
    // Shows the keyframe-path and alignment guides of the selected object on the canvas.
    virtual void ShowSceneHelperLines() {}
    // Runs an align command on the selection: 1 left, 2 centre, 3 right, 4 top, 5 middle,
    // 6 bottom.
    virtual void AlignSelection(std::uint8_t /*kind*/) {}
    // Stops playback.
    virtual void Stop() {}
    // Writes the active project's captions into a SubRip file the user chooses.
    virtual void ExportCaptions() {}
    // Deletes every caption of the active project after the user confirmed it.
    virtual void DeleteCaptions() {}
    // The preview's speed per mille (the playback-speed button) and whether it keeps the
    // pitch of the sound ("Preserve Audio Pitch").
    virtual std::int32_t PreviewSpeed() const { return 1000; }
    virtual bool PreviewPreservePitch() const { return true; }
    // Shows the selected object's volume, loudness and gain again in the inspector.
    virtual void UpdateAudioProperties() {}
};

// The installed services, never null.
TREditorServices& EditorServices();
// Installs `services` (null: back to the null implementation).
void InstallEditorServices(TREditorServices* services);
