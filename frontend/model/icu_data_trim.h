#pragma once
// ICU's data library (libicudataNN.so) is a third of the player's runtime:
// collation, word breaking, time zone, currency and unit names for every
// language, and some two hundred legacy character sets. Qt asks ICU for none
// of it in the player (Qt has its own locale data, text breaking and the
// encodings it reads), so the travelling copy keeps only the character
// property, normalisation and root locale items and fills the rest with
// zeros: the library keeps its layout, and xz makes almost nothing of the
// zeros. ICU answers a look-up of a removed item as a missing resource, the
// same as for a locale it never had.

#include <QString>

namespace icu_data_trim {

// True when `soname` names ICU's data library.
bool isIcuData(const QString& soname);

// Trims the data library at `path` in place. False, the file unchanged,
// when its contents are not the ICU data layout this knows.
bool trim(const QString& path, QString& error);

} // namespace icu_data_trim
