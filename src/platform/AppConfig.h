#pragma once
#include "platform/FileAccess.h"
#include <QString>

namespace lumo {

// Config.ini in the working folder: the port, the cable choice and the language the program
// remembers between runs, plus the hand-edited serial options and the optional `Ports` section
// that maps COM numbers to device paths.
struct AppConfig {
    bool existed = false; // false: the file was missing and the defaults below apply
    int com = 1;
    bool usb = false;
    QString lang = QStringLiteral("Cesky.lng"); // bare file name of the language pack
    QString closePort = QStringLiteral("0");    // "1": close and reopen the port for every action
    int timeOutRS = 10;                         // serial time-out in ms, always > 0
    bool verify = false;                        // Verify=1: local writes are read back and checked
    // Hand-edited: "Backup=0" keeps no backups of reads, "BackupBeforeWrite=0" writes to a unit
    // without reading it into a backup first.
    bool backup = true;
    bool backupBeforeWrite = true;
    // Set when the file exists but could not be read (not a regular file, too large,
    // unreadable): the defaults apply and the caller should say so.
    FileError loadError;
};

namespace config {

inline const QString kFileName = QStringLiteral("Config.ini");
inline const QString kDefaultLanguage = QStringLiteral("Cesky.lng");
inline const QString kInfoClosePort = QStringLiteral(
    "1 - If you have any problem with the serial port, write to \"Setup\" record : ClosePort=1 "
    ", port will be close and open for every action");
inline const QString kInfoTimeOutRS =
    QStringLiteral("10 - If you have any problem with the serial port, write to \"Setup\" record : "
                   "TimeOutRS=n , n is timeout of serial port in milisecond, default is n = 10");

// Path of Config.ini in `folder`, matched case-insensitively.
QString configPath(const QString& folder);

// The part of a language file path after its last folder separator ('/' or '\').
QString languageFileName(const QString& path);

} // namespace config

// Reads Config.ini from `folder`. Missing keys and unusable values (no number, a time-out of 0
// or less, a language name that is empty, has control characters or names another folder)
// take their defaults. Never fails: a damaged file gives defaults for what cannot be read.
AppConfig readConfig(const QString& folder);

// Writes a new Config.ini at first start: sections Info, "-" and Setup (USB=0, COM, Lang).
// `language` may be a path; only its file name is stored.
bool createConfig(const QString& folder, int com, const QString& language,
                  QString* error = nullptr);

// Writes Config.ini at close: the Info and "-" lines and Setup USB, COM and Lang, and Verify
// when it is on or the file has the key already (a file that never had it stays without it).
// Every other line of an existing file (hand-edited ClosePort, TimeOutRS, the Ports section,
// comments) stays as it was; lines of binary junk are dropped so the result is a readable
// text file.
bool writeConfigOnClose(const QString& folder, bool usb, int com, const QString& language,
                        QString* error = nullptr, bool verify = false);

// The device behind COM port `port`: an in-process override, else the value of Ports/COM<port>
// in Config.ini, else "/dev/ttyS<port-1>". Empty for port numbers below 1.
QString portDevicePath(const QString& folder, int port);

// Maps a COM port to a device for this process only, ahead of Config.ini: `lumo --simulate`
// puts the virtual unit's pseudo-terminal behind COM1 this way without touching the user's
// file. An empty path removes the override. Set before any port is opened.
void setPortDeviceOverride(int port, const QString& devicePath);
bool hasPortDeviceOverride(int port);

// Stores `devicePath` as Ports/COM<port> in Config.ini of `folder` now, so that the next open
// of the port uses it; every other line stays as it was (and the close sequence keeps this
// one). A missing file is started with just this entry. *error says why it failed.
bool storePortDevicePath(const QString& folder, int port, const QString& devicePath,
                         FileError* error = nullptr);

} // namespace lumo
