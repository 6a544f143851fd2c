#pragma once

#include "core/browse/NameList.h"

#include <QStringList>

namespace chimebox::browse {

// Sorts names the way a person reads them: "2.mp3" before "10.mp3", letters
// in the order of the user's language (Japanese where the locale names none).
// Names the language holds equal still come out in one fixed order, so the
// order of continuous play never depends on the order of the folder on disk.
void sortNaturally(QStringList &names);
void sortNaturally(NameList &names);

} // namespace chimebox::browse
