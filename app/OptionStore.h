#pragma once

#include "app/IniFile.h"
#include "app/OptionRecord.h"
#include "app/PinKeys.h"
#include "app/ProfileKeys.h"
#include "app/WindowPlacement.h"

#include <QString>

#include <optional>

// Where Option.ini lives and how it gets there. The file is read in UTF-8 or
// Shift_JIS (as older Windows copies were written) and always written back in
// UTF-8 without byte-order mark, in the line ends it was read with: the keys
// and the usual formulas are ASCII, so a reader of either kind agrees on them. The data folder
// (beside the executable) is the usual place; when it cannot be written, the file goes to the
// user's configuration folder, and from then on that copy is read and written first, so a later
// save never leaves a stale copy that wins.
class TOptionStore
{
public:
    static constexpr const char* FileName = "Option.ini";

    // `configDir` empty: $XDG_CONFIG_HOME/quillmarch (or the platform's
    // equivalent). Without `besideData` (an installed program, whose data
    // folder belongs to the system) only the configuration folder is used.
    explicit TOptionStore(const QString& dataDir, const QString& configDir = QString(),
                          bool besideData = true);

    static QString DefaultConfigDir();

    QString DataFilePath() const;
    QString ConfigFilePath() const;

    // Reads the configuration folder's file if there is one, else the data
    // folder's; a missing or unreadable file or a folder gives the defaults.
    // Anything else that is no regular file (a named pipe, a device) is not opened:
    // raises EFileError naming it and what it is, and the defaults stand.
    TOptionRecord Load();
    // The window's place as the file last read left it.
    std::optional<TWindowPlacement> LoadedPlacement() const { return ReadWindowPlacement(m_ini); }
    // The pinned setups' keys as the file last read left them.
    std::vector<std::string> LoadedPinKeys() const { return ReadPinKeys(m_ini); }
    // The named profiles as the file last read left them.
    TProfileBook LoadedProfiles() const { return ReadProfiles(m_ini); }
    // The window's zoom in percent as the file last read left it.
    std::int32_t LoadedZoom() const { return ReadZoomPercent(m_ini); }

    // Writes the settings (WriteOptionRecord) through a new file that then replaces the old one,
    // so a failed write leaves the old file whole; keeps the other lines of
    // the file last read. The window's place, when given, follows the
    // settings in its own section, and so do the pins' keys and the
    // profiles when given.
    // Returns the path written; raises EFileError when no place takes the file.
    QString Save(const TOptionRecord& record,
                 const std::optional<TWindowPlacement>& placement = std::nullopt,
                 const std::optional<std::vector<std::string>>& pinKeys = std::nullopt,
                 const std::optional<TProfileBook>& profiles = std::nullopt,
                 const std::optional<std::int32_t>& zoomPercent = std::nullopt);

    // The file Load read, empty when there was none.
    QString LoadedFrom() const { return m_loadedFrom; }

private:
    QString m_dataDir;
    QString m_configDir;
    bool m_besideData = true;
    QString m_loadedFrom;
    TIniFile m_ini;
};
