#pragma once
// What the inspector's frames need of the editor window: the project being edited, a repaint of
// the canvas after a change. The editor window installs its implementation; until then (and in
// tests) a null implementation answers "no project" and repaints nothing.

class TRProject;

class TREditorServices {
public:
    virtual ~TREditorServices() = default;
    // The project the editor works on, or null.
    virtual TRProject* ActiveProject() const = 0;
    // Repaints the canvas after a property change.
    virtual void RepaintScene() = 0;
};

// The installed services, never null.
TREditorServices& EditorServices();
// Installs `services` (null: back to the null implementation).
void InstallEditorServices(TREditorServices* services);
