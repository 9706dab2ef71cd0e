// The program's name and version, as the windows and the installer show them.
#pragma once

inline constexpr const char* ProgramName = "Tilvane";
inline constexpr const char* VersionText = "Version 2.5.1, released on 24.10.2004";
