#pragma once

#include <QString>

namespace chimebox::settings {

// A write killed between making its temporary file and renaming it leaves that
// file behind for good. Removes, from folder, the temporary files of the six
// settings files that the atomic writer names, and nothing else whatever its
// name. Only for the program that holds the folder's lock: another's writes in
// progress look just the same.
void removeLeftoverTemporaries(const QString &folder);

} // namespace chimebox::settings
