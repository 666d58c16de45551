#pragma once

#include <QSettings>

// The program's remembered choices (the class list, whether the time is shown), in one place.
// The organisation is named here rather than for the whole application: named there, it would
// also move the records folder (QStandardPaths puts it under the organisation), and users'
// records would no longer be found.
inline QSettings ProgramSettings() { return QSettings(QStringLiteral("Pellarin"), QStringLiteral("Pellarin")); }

// The class list given last for the printed sheets: its children's names, offered again when
// the list is next asked for and when a marked sheet without a name is given one.
inline const QString kClassNamesKey = QStringLiteral("classList/names");
inline QStringList RememberedClassNames() { return ProgramSettings().value(kClassNamesKey).toStringList(); }
