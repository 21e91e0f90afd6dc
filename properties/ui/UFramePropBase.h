#pragma once
// The base of every property frame of the inspector: a collapsible header panel with the
// group's controls in a container below it, the group and object shown, and the protocol all
// frames share.
//
// - Init (once): the header at the top left, the header's switch, the controls' fixed lists.
// - ShowProperties: stores object and group and loads the header and every control under the
//   loading guard. Programmatic sets still reach the change handlers; they see Loading() and
//   ignore the change.
// - A user change writes the header and the controls back into the group, repaints the canvas
//   and records one undo step of the frame's kind (History_AddModify) on the active project.
// - Resizing keeps the container at the bottom of the header and the frame as high as the
//   header, so collapsing a group moves the frames below it up.
//
// Frames are created by property type through the registry below.

#include "core/URPropBase.h"
#include "core/URUndo.h"

#include <QWidget>

class TRGPPanelEx;
class TRObject;
class TRProject;

class TFramePropBase : public QWidget {
    Q_OBJECT
public:
    TFramePropBase(TUndoType undoType, QWidget* parent = nullptr);

    // One-time set-up, called by the inspector page right after creation.
    virtual void Init();
    // Shows the object's group; nothing when either is null.
    void ShowProperties(TRObject* object, TRPropBase* property);

    TRGPPanelEx* Panel() const { return FPanel; }
    QWidget* Container() const { return FContainer; }
    TRObject* ShownObject() const { return FObject; }
    TRPropBase* ShownProperty() const { return FProperty; }
    // True while ShowProperties loads the controls.
    bool Loading() const { return FLoading; }

protected:
    // Loads every control from FProperty (called under the loading guard).
    virtual void LoadControls() = 0;
    // Writes every control back into FProperty.
    virtual void SaveControls() = 0;
    // What a saved change leaves in the project: by default one undo step of the frame's kind.
    virtual void RecordChange(TRProject& project);
    // The change handler of the header and the controls.
    void PropertyChanged();
    // Sets the loading guard for a refresh outside ShowProperties; returns its former state.
    bool SetLoading(bool loading);
    // The project a change applies to: the editor's active one, or null.
    TRProject* ActiveProject() const;
    void resizeEvent(QResizeEvent* event) override;
    // Keeps the container at the bottom of the header and the frame as high as the header.
    void PanelResize();
    // Sets the container's height and the header's expanded height to fit it.
    void SetContainerHeight(int height);

    TRObject* FObject = nullptr;
    TRPropBase* FProperty = nullptr;

private:
    TUndoType FUndoType;
    TRGPPanelEx* FPanel;
    QWidget* FContainer;
    bool FLoading = false;
};

// ---- the registry ----
using TRPropertyFrameCreator = TFramePropBase* (*)(QWidget* parent);
// Installs the frame class of a property type; later registrations replace earlier ones.
void RegisterPropertyFrame(TRPropertyType type, TRPropertyFrameCreator creator);
// A new frame for the property type, Init already run; null when the type has no frame.
TFramePropBase* CreatePropertyFrame(TRPropertyType type, QWidget* parent);
// Registers the frames of this library.
void RegisterPropertyFrames();
