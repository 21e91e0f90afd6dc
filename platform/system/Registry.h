#pragma once
// Named values of a per-user settings key, kept as one file per value under
// $XDG_CONFIG_HOME/<key>/. Writes are atomic: a reader sees the old value or the new one whole.

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform::system {

class RegistryKey {
public:
    // The most a value is read up to unless the caller says otherwise.
    static constexpr qint64 DefaultMaxValueBytes = qint64(1) << 20;

    // The key of the current user named `keyName` (for example "Tavrin").
    explicit RegistryKey(const QString& keyName);

    // The folder that holds the key's values.
    QString folder() const { return folder_; }
    bool exists() const;
    // Creates the key's folder when missing; false when it cannot be created.
    bool create() const;

    // The stored bytes of a value, or nothing when the value (or the key) is missing or unreadable,
    // is not a regular file (a FIFO would block the reader) or holds more than `maxBytes`.
    std::optional<QByteArray> readBinary(const QString& valueName,
                                         qint64 maxBytes = DefaultMaxValueBytes) const;
    // Stores the bytes whole, creating the key when missing; false on any failure.
    bool writeBinary(const QString& valueName, const QByteArray& data) const;

    // A text value stored as UTF-8.
    std::optional<QString> readString(const QString& valueName) const;
    bool writeString(const QString& valueName, const QString& text) const;

    // Stores the bytes whole for the user alone: the key's folder gets mode 0700 and the value's
    // file mode 0600, and no other user can read the value at any moment, even while it is
    // written. False on any failure.
    bool writePrivate(const QString& valueName, const QByteArray& data) const;

    // The value's file path (values are plain names; a name with a separator is refused).
    QString valuePath(const QString& valueName) const;

private:
    QString folder_;
};

} // namespace platform::system
