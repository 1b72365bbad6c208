#pragma once

// The four service objects of the program, created by start-up in this order and alive until it ends:
// the language, the database object, the current data sheet and the settings. When released (in the
// reverse order: settings, data sheet, language) each writes its settings back.

class cLang;
class cAccessDb;
class cSheet;
class cEnvironment;

extern cLang *Lang;
extern cAccessDb *Adb;
extern cSheet *Sheet;
extern cEnvironment *Env;

// Releases the objects that exist, each writing its settings; safe to call twice.
void ReleaseGlobals();
