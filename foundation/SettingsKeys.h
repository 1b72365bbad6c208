#pragma once

// The registry keys of the program's settings.
inline constexpr char SettingsKey[] = "Software\\Tarnwel\\Orvel3\\Settings";
inline constexpr char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program's title and the name of its start-with-the-system entry.
inline constexpr char ProductTitle[] = "Orvel 3";
// The database file the program last ended with and found sound, with its stamp (platform::fileStamp).
inline constexpr char SoundDatabaseValue[] = "SoundDatabase";
