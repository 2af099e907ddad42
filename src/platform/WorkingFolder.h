#pragma once
#include <QString>
#include <QStringList>

namespace lumo {

// The working folder is the process's current directory, read afresh before every use
// (dialogs may move it). Names in it are looked up case-insensitively, as on the original
// platform: "*.LNG" finds "English.lng", "config.ini" finds "Config.ini".
namespace workingFolder {

QString current();
// The path of `name` in the current working folder: the existing entry whose name matches
// case-insensitively, or current()/name when there is none.
QString resolve(const QString& name);
bool exists(const QString& name);
// Files matching a wildcard pattern (case-insensitive), in the order the file system lists them.
QStringList list(const QString& pattern);

// The same lookups in a given folder instead of the current one. `list` and `listIn` return
// full paths.
QString resolveIn(const QString& folder, const QString& name);
bool existsIn(const QString& folder, const QString& name);
QStringList listIn(const QString& folder, const QString& pattern);

} // namespace workingFolder
} // namespace lumo
