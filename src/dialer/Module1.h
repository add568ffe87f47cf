#pragma once

#include <QtGlobal>

namespace dialer {

// The modem port and the three dialing prefixes; 0 means none.
struct DialerSettingsValues {
    qint16 ModemPort = 0;
    qint16 AreaCode = 0;
    qint16 OutLine = 0;
    qint16 LongDist = 0;
};

// The settings module: the two files beside the program, Port.sav and
// Prefix.sav. The values themselves are kept by the dial operations, which
// hand them to both settings dialogs.
namespace Module1 {

// Whether the file can be opened for reading; any failure is only a false.
bool PortFileExists();
bool PrefixFileExists();

// Read the file again into DialerSettings when it can be opened, else leave
// the values as they are. A file that runs short or holds no valid number
// raises platform::Error and changes no value.
void LoadPortSetting(DialerSettingsValues& DialerSettings);
void LoadPrefixSettings(DialerSettingsValues& DialerSettings);

// Replace the whole file with the values given; on failure the old file
// stays as it was and platform::Error is raised.
void SavePortSetting(const DialerSettingsValues& DialerSettings);
void SavePrefixSettings(const DialerSettingsValues& DialerSettings);

} // namespace Module1
} // namespace dialer
