#pragma once

#include <QString>

namespace lirondo {

// The part of a path after its last backslash (the form's `FileNameOf`); the whole path when it
// holds none, and the empty name when it ends in one. A forward slash is part of the name.
QString backslashFileName(const QString& path);

// What the reading list shows as a file's name. Paths here use "/", so they are put in
// the backslash form first and backslashFileName takes the last component.
QString readingListName(const QString& path);

} // namespace lirondo
