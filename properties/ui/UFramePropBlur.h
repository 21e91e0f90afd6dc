#pragma once
// The inspector frame of the blur group: size and soft border. Its changes mark the project
// modified without an undo step (the group has no undo kind of its own).

#include "properties/ui/UFramePropRows.h"

class QCheckBox;

class TFramePropBlur : public TFramePropRows {
    Q_OBJECT
public:
    explicit TFramePropBlur(QWidget* parent = nullptr);

    QCheckBox* BorderBox() const { return FBorder; }

protected:
    void LoadOthers() override;
    void SaveOthers() override;
    void RecordChange(TRProject& project) override;

private:
    QCheckBox* FBorder;
};
