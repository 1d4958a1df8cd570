#pragma once

#include <QString>
#include <QStringList>

// Where the weapon table and the type icons are. A build tree keeps them beside
// the executable; an installed program finds them in ../share/quillmarch
// relative to bin/. Pure path logic, so it can be tested without installing.

// The first of `applicationDirPath` and `applicationDirPath`/../share/quillmarch
// that holds WData.csv; `applicationDirPath` itself when neither does, so the
// weapon list reports the missing file from where the user expects it.
QString FindDataDir(const QString& applicationDirPath);

// True when the data was found only in the installed share folder. The folder
// beside such an executable (/usr/bin) is no place for Option.ini, whoever runs
// the program, so the settings then belong in the user's configuration folder.
bool IsInstalledLayout(const QString& applicationDirPath);

// Where the user guide, README.md, may lie, in the order to try: as the
// package installs it, ../share/doc/quillmarch beside bin/, and in the folder
// above the executable, which for a build tree inside the sources (build/,
// build-deb/) is the source tree itself.
QStringList UserGuidePlaces(const QString& applicationDirPath);
