#pragma once

// Stateless helpers shared by every window: key filters for number fields, null-safe conversions, the
// pause after a connection is closed, locale and folder lookups, attachment names, SQL literals, dates,
// and the "App Error" report of a procedure that handles its own errors.

#include <QDate>
#include <QString>
#include <QVariant>

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

// Name of an attachment copied into the attachments folder: yyyyMMddHHmmss, the hundredths of the second,
// then the extension (with its leading full stop).
QString NewAttachmentName(const QString &extension);
// Opens a stored attachment: a generated name (first character "2") in the attachments folder, anything
// else as a full path.
void OpenAttachment(const QString &stored);

QString SqlQuote(const QString &text);
// #mm/dd/yyyy# for SQL text, or 'yyyy-mm-dd' (iso) for recordset filters.
QString SqlDate(const QDate &date, bool iso = false);
QString SqlDateShort(const QDate &date);
int DaysInMonth(const QDate &date);
int FourMonthPeriod(const QDate &date);

// The "App Error" report: the error's description, a line break, "in Orvel3.<window>.<procedure> ",
// "line " and the line; exclamation icon. The caller goes on with its next statement.
void ShowAppError(const std::exception &error, const QString &window, const QString &procedure, int line);
QString AppErrorText(const std::exception &error, const QString &window, const QString &procedure, int line);
