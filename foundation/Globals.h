#pragma once

// The four service objects of the program, created by start-up in this order and alive until it ends:
// the language, the database object, the current data sheet and the settings. When released (in the
// reverse order: settings, data sheet, language) each writes its settings back.

#include <exception>

class cLang;
class cAccessDb;
class cSheet;
class cEnvironment;

extern cLang *Lang;
extern cAccessDb *Adb;
extern cSheet *Sheet;
extern cEnvironment *Env;

// Releases the objects that exist, each writing its settings; safe to call twice. Settings that could not
// be written back (noted below) are told before the language goes, unless the session is ending.
void ReleaseGlobals();

// A setting written back as the program ends (the main window's view state, the preferences, the data
// sheet, the language) that could not be written: the writer goes on, and the first such failure is told
// once by ReleaseGlobals.
void NoteSettingsNotWritten(const std::exception &error);
