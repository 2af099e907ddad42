#pragma once
#include "texts/Texts.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace lumo {

// Language packs: INI files (code page 1250) in the working folder whose sections and numeric
// keys override the built-in texts. This is the non-visual half of the pack loader; windows
// take the resulting Texts and put each text in its place.
namespace language {

// Shown when neither the chosen pack nor the Czech pack can be found; not from any pack.
inline const QString kLanguageFileError =
    QStringLiteral("Language file error / chybí jazykový soubor");
inline const QString kDefaultPack = QStringLiteral("Cesky.lng");
inline constexpr int kMenuItemCount = 11;

// A pack file as the loader reads it. Packs are code page 1250 (CR LF or LF); a pack that
// starts with a UTF-8 byte-order mark is read as UTF-8. Sections match in any letter case,
// the first occurrence of a section or key counts, values lose their outer blanks and one
// pair of enclosing quotes. Lines longer than kMaxLineBytes, lines with control bytes and keys
// that are not decimal numbers are ignored (and counted), so damaged packs still apply.
inline constexpr int kMaxLineBytes = 2048;
// Longer values are reported by the pack check: they cannot fit any control of the windows.
inline constexpr int kMaxValueLength = 255;

struct PackEntry {
    QString section; // as written
    QString key;     // as written
    QString value;
    int line = 0; // 1-based
};

struct PackFile {
    bool existed = false;
    bool readable = false;
    bool utf8 = false;
    std::vector<PackEntry> entries; // every key line, in file order
    std::vector<int> ignoredLines;  // over-long or binary lines (1-based)

    // The value of (section, numeric key), first occurrence; nothing when absent.
    std::optional<QString> value(TextSection section, int key) const;
};

// The first value of every (section, key) of a pack, found in one pass: applying or checking a
// pack looks up every built-in text, which must not walk the whole pack each time.
class PackValues {
public:
    explicit PackValues(const PackFile& pack);
    std::optional<QString> value(TextSection section, int key) const;

private:
    QHash<QString, QString> m_first; // folded section, newline, key as written → value
};

PackFile readPack(const QString& path);
PackFile parsePack(const QByteArray& bytes);

// The built-in Czech pack: every key in reading order, code page 1250, CR LF. A default with
// a line feed is written with a blank instead, as a pack line cannot hold one.
QByteArray exportBuiltInPack();

// What `lumo-cli lang check` reports about a pack against the built-in table.
struct PackCheck {
    std::vector<TextKey> missing;   // built-in keys the pack lacks (they show the default)
    std::vector<TextKey> empty;     // present with an empty value
    std::vector<PackEntry> unknown; // sections or keys the program never reads
    std::vector<PackEntry> overLong;
    std::vector<int> ignoredLines;
    bool clean() const {
        return missing.empty() && empty.empty() && unknown.empty() && overLong.empty() &&
               ignoredLines.empty();
    }
};
PackCheck checkPack(const PackFile& pack);

// Sets every built-in key of `texts`: the pack's value where the pack has the key (an empty
// value gives an empty text), the Czech default where it does not. A missing or unreadable
// file leaves every key at its default and returns false.
bool loadLanguagePack(const QString& path, Texts& texts);

// Which pack the loader uses for the requested language file (a full path).
struct PackChoice {
    enum class Outcome {
        LoadPack, // load `languageFile`
        Defaults, // no pack and no Config.ini: every key takes its default
        Error     // neither the pack nor the Czech pack exists: show kLanguageFileError and
                  // change no text
    };
    Outcome outcome = Outcome::LoadPack;
    QString languageFile; // the language file from now on
};

// The loader's choice of file in `folder`. When the requested pack is missing but Config.ini
// exists, the Czech pack of the folder is used instead. Config.ini is kept: the close sequence
// stores the new language anyway, and the user's own keys in it must survive.
PackChoice choosePack(const QString& folder, const QString& languageFile);

// choosePack followed by loading: on LoadPack and Defaults `texts` is filled, on Error it is
// left untouched.
PackChoice applyLanguage(const QString& folder, const QString& languageFile, Texts& texts);

// One item of the language menu.
struct MenuEntry {
    QString caption; // the file name less its last four characters
    QString path;    // full path of the pack
};

// The first eleven "*.LNG" files of `folder` (any letter case) in file-system order.
std::vector<MenuEntry> languageMenuEntries(const QString& folder);

// Composition rules of the loader.
// A group-box caption: one blank before and after the text.
inline QString groupBoxCaption(const QString& text) {
    return QLatin1Char(' ') + text + QLatin1Char(' ');
}
// The status bar's file label: Menu 1 followed by ": ".
inline QString fileLabel(const Texts& texts) {
    return texts.get(TextSection::Menu, 1) + QStringLiteral(": ");
}

} // namespace language

using language::languageMenuEntries;
using language::loadLanguagePack;

} // namespace lumo
