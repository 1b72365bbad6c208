#pragma once

// Stateless helpers shared by every window: key filters for number fields, null-safe conversions, the
// pause after a connection is closed, locale and folder lookups, attachment names, SQL literals, dates,
// and the "App Error" report of a procedure that handles its own errors.

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;
namespace platform { class RuntimeError; }

// Key codes as the key-press handlers see them: the character code, 8 Backspace, 9 Tab.
// Both filters return the key to keep, or 0 to swallow it.
int FilterDecimalKey(int keyAscii);
int FilterIntegerKey(int keyAscii);

QString NullToString(const QVariant &value, const QString &defaultValue = QString());
double NullToDouble(const QVariant &value, double defaultValue = 0);

// Waits after a connection close so that the engine has let go of the file (platform setting, 600 ms).
void PauseForDbRelease();

// A dialog without a Close command: it closes through its own buttons only.
void DisableCloseButton(QWidget *window);

QString GetLocaleString(int localeId, int item);
QString GetSpecialFolder(int csidl);
// The folder browser: the chosen folder without a trailing separator, "" on Cancel.
QString BrowseForFolder(QWidget *owner, const QString &title);
// Where a file dialog opens, as a common dialog does: the folder the user last took a file from or wrote
// one to with that dialog (remembered in the setting `valueName`) while it exists, else the documents folder.
QString FileDialogFolder(const QString &valueName);
// Remembers the folder of a file chosen in such a dialog; a setting that cannot be written is let go (the
// dialog then opens in the documents folder).
void RememberFileDialogFolder(const QString &valueName, const QString &file);

// Name of an attachment copied into the attachments folder: yyyyMMddHHmmss, the hundredths of the second,
// then the extension (with its leading full stop).
QString NewAttachmentName(const QString &extension);
// True when a stored attachment names a file (Null, "" and blanks name none).
bool HasAttachment(const QVariant &stored);
// Opens a stored attachment with the desktop's default application: a generated name (first character
// "2") only as a file of the attachments folder, anything else only as an existing absolute path; never as
// a link. A missing file, a program or script (which opening would run) or a failed open is told in a
// message over owner. True when the file was opened.
bool OpenAttachment(const QString &stored, QWidget *owner = nullptr);

// True when a text can be stored: it holds no NUL character (which the database's text cannot carry).
// Texts that fail are refused with text 2037.
bool IsStorableText(const QString &text);

QString SqlQuote(const QString &text);
// #mm/dd/yyyy# for SQL text, or 'yyyy-mm-dd' (iso) for recordset filters.
QString SqlDate(const QDate &date, bool iso = false);
QString SqlDateShort(const QDate &date);
int DaysInMonth(const QDate &date);
int FourMonthPeriod(const QDate &date);

// What a run-time error tells the user: for a failure whose meaning is known (a locked or read-only
// database, a full disk, a row changed meanwhile, a file that is no database, a text too long, ...) what
// happened and what to do, in the user's language, followed on a line of its own by what it concerns (the
// file, the column); otherwise the error's own description. `text` looks the texts up (the import tool
// has a language of its own).
QString ErrorDescription(const std::exception &error, const std::function<QString(int)> &text = {});

// The "App Error" report: the error's description (ErrorDescription), a line break, "in
// Orvel3.<window>.<procedure> ", "line " and the line; exclamation icon. The caller goes on with its next
// statement.
void ShowAppError(const std::exception &error, const QString &window, const QString &procedure, int line);
QString AppErrorText(const std::exception &error, const QString &window, const QString &procedure, int line);
