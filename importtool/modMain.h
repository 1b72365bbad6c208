#pragma once

#include <QString>
#include <QVariant>
#include <exception>

// OrvelDbTools: its start, its text lookups and its registry read with a free root key.
namespace importtool {

// The tool's entry: creates the settings object, refuses to run without a database folder or while the
// main program has the database open, then shows the import wizard until it closes. Returns the exit code.
int Main();

// Steps 2 and 3 of the start, with their messages (fixed, in Italian and English, whatever the language).
// Before them, a settings file that could not be read (kept aside by the registry store) is reported in the
// tool's language and the tool ends: the database folder it names is not known.
enum class StartCheck { NoDbFolder, MainProgramRunning, Ready, SettingsUnreadable };
StartCheck CheckStart();

// The text Id of the string table in the language block lsn; "" when there is none.
QString TextAt(int lsn, int Id);
// The same with every "xxx" replaced by Val.
QString TextAtV(int lsn, int Id, const QVariant &Val);
// The text Id in the tool's language (Env->Lsn()); "" when there is none.
QString LRS(int Id);
// The same with every "xxx" replaced by Val.
QString LRSV(int Id, const QVariant &Val);

// A registry value under any root key (RegRead reads under the current user only): the stored value in
// its stored kind, or the default when it cannot be read.
QVariant GetRegValueEx(qint32 root, int kind, const QString &valueName, const QString &keyPath,
                       const QVariant &defaultValue = QVariant());

// The report of a failure in a procedure that handles its errors: what it means for the user, a line
// break, "in OrvelDbTools.<procedure> ", "line " and the line, under the title "App Error", in the language
// block lsn. A failure without words of the text table is told as an unexpected one: the engine's own
// text is never shown.
QString ToolErrorText(const std::exception &error, const QString &procedure, int line, int lsn);
void ShowToolError(const std::exception &error, const QString &procedure, int line, int lsn);
// Raises a failure that a text of the tool's own tells (already in the user's language): ToolErrorText
// shows it as it is.
[[noreturn]] void RaiseToolMessage(const QString &text);

} // namespace importtool
