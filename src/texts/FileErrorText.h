#pragma once
#include "platform/FileAccess.h"
#include <QString>

namespace lumo {

class Texts;

// Message-table keys of the robustness messages (files, ports, transfers on a console).
namespace messageKey {
constexpr int kCannotLoad = 300; // "Soubor \"%1\" nelze načíst: %2"
constexpr int kCannotSave = 301; // "Soubor \"%1\" nelze uložit: %2"
constexpr int kNotRegular = 302;
constexpr int kTooLarge = 303; // %1 size, %2 limit
constexpr int kPermission = 304;
constexpr int kReadOnly = 305;
constexpr int kNoSpace = 306;
constexpr int kInputOutput = 307;
constexpr int kBadPath = 308;
constexpr int kSystemError = 309;    // %1 errno
constexpr int kWrongExtension = 310; // %1 path
constexpr int kJsonSyntax = 311;     // %1 offset
constexpr int kJsonNotObject = 312;
constexpr int kJsonNotString = 313;    // %1 key
constexpr int kJsonUnknownKey = 314;   // %1 key
constexpr int kJsonNotBoolean = 315;   // %1 key
constexpr int kJsonTwoChecked = 316;   // %1 buttons
constexpr int kJsonNoneChecked = 317;  // %1 group
constexpr int kValueTooLong = 318;     // %1 field, %2 length, %3 limit, %4 value (cut)
constexpr int kValueNotCp1250 = 319;   // %1 field, %2 character, %3 value (cut)
constexpr int kConfigUnreadable = 320; // %1 path, %2 reason
constexpr int kPortMissing = 321;      // %1 port
constexpr int kPortNotTerminal = 322;  // %1 port
constexpr int kPortPermission = 323;   // %1 port
constexpr int kPortInUse = 324;        // %1 port
constexpr int kFtdiPermission = 325;
constexpr int kReplyCounts = 326; // %1 expected, %2 received, %3 bytes
constexpr int kHalfWritten = 327; // %1 what the unit holds
constexpr int kSettingsWritten = 328;
constexpr int kSettingsNotWritten = 329;
constexpr int kBlocksWritten = 330; // %1 last block
constexpr int kNoBlockWritten = 331;
constexpr int kUnitDiffers = 332; // %1 file
constexpr int kDiffersMode = 333; // %1 unit, %2 file
constexpr int kDiffersCounter = 334;
constexpr int kDiffersUnfitted = 335;
constexpr int kBadSettingsHex = 336;    // %1 characters
constexpr int kPortUnknownReason = 337; // %1 port, %2 errno
constexpr int kHomeFolderFailed = 540;  // %1 folder, %2 reason
constexpr int kShippedCopyFailed = 541; // %1 file, %2 reason
} // namespace messageKey

// The reason part of a file message ("soubor neexistuje", "chybí oprávnění", ...).
QString fileErrorText(const FileError& error, const Texts& texts);

// A text quoted in a message, cut to `limit` characters with "…" so that a huge value is never
// echoed whole.
QString cutForMessage(const QString& text, int limit = 40);

} // namespace lumo
