#include "imagekit/IKPersistent.h"

#include <QMetaProperty>

const QStringList& TIKPersistent::PropertyNames() const {
    if (!FNamesListed) {
        const QMetaObject* meta = metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            FNames << QString::fromLatin1(meta->property(i).name());
        FNamesListed = true;
    }
    return FNames;
}

bool TIKPersistent::PropertyExists(const QString& name) const {
    return IKFindProperty(this, name);
}

TIKValue TIKPersistent::GetValue(const QString& name) const {
    return IKGetValue(this, name);
}

void TIKPersistent::SetValue(const QString& name, const TIKValue& value) {
    if (!IKSetValue(this, name, value))
        SetUndefinedValue(name, value);
    ValueChanged();
}

TIKValue TIKPersistent::GetUndefinedValue(const QString&) {
    return TIKValue::Null();
}

void TIKPersistent::SetUndefinedValue(const QString&, const TIKValue&) {}

void TIKPersistent::ValueChanged() {}
