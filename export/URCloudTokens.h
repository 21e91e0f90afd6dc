#pragma once
// Where the cloud clients keep their tokens and the speech key between runs, and the program's
// own keyed scrambling of the stored values. The stored values are the user's alone: files of
// mode 0600 in a folder of mode 0700 under the per-user configuration folder.

#include <QString>
#include <cstdint>

// The start key of every stored token.
inline constexpr std::uint16_t TokenStartKey = 48213;

// The UTF-8 bytes of the text through the keyed stream, then as six-bit text over the base64
// alphabet, lowest bits first and without padding (1, 2 or 3 bytes give 2, 3 or 4 characters).
QString ScrambleToken(const QString& text, std::uint16_t startKey);
// The reverse; characters outside the alphabet count as 0.
QString UnscrambleToken(const QString& text, std::uint16_t startKey);

enum class TPersistLocation { plIniFile, plRegistry };

struct TPersistTokens {
    TPersistLocation Location = TPersistLocation::plIniFile;
    // The ini section, or the registry subkey below Key.
    QString Section;
    // The ini file's name, or the registry path ("Software\Tavrin"); both are kept in the
    // per-user configuration folder named by the path's last part.
    QString Key;
};

// The named string values of one section in the place a TPersistTokens names: the key
// "<Key's last part>/<Section>" of the per-user registry, or the section of an ini file
// "<Key's file name>" in the per-user configuration folder "Tavrin".
class TRTokenStore {
public:
    explicit TRTokenStore(const TPersistTokens& place) : place_(place) {}

    // False when Key or Section is empty: nothing is read or written then.
    bool Usable() const { return !place_.Key.isEmpty() && !place_.Section.isEmpty(); }
    // Empty when missing.
    QString Read(const QString& name) const;
    // False when the value cannot be stored.
    bool Write(const QString& name, const QString& value) const;

private:
    TPersistTokens place_;
};
