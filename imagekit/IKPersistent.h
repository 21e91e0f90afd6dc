#pragma once
// The base of objects whose inputs are listed, read and written by name: the filters.

#include "core/IKTypes.h"

#include <QObject>
#include <QStringList>

class TIKPersistent : public QObject {
    Q_OBJECT

public:
    TIKPersistent() = default;

    // The properties the object's own class declares (not inherited ones), in declaration
    // order.
    const QStringList& PropertyNames() const;
    // Without regard to case.
    bool PropertyExists(const QString& name) const;
    // Null when there is no such property.
    TIKValue GetValue(const QString& name) const;
    // Writes the property, or hands a name that is not one to SetUndefinedValue; then
    // ValueChanged. Conversion errors pass through and skip ValueChanged.
    void SetValue(const QString& name, const TIKValue& value);

    virtual TIKValue GetUndefinedValue(const QString& name);
    virtual void SetUndefinedValue(const QString& name, const TIKValue& value);
    virtual void ValueChanged();

private:
    mutable QStringList FNames;
    mutable bool FNamesListed = false;
};
