#pragma once

#include "SampleData.h"
#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "editors/RecordEditorWindow.h"
#include "foundation/cSheet.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// The program's objects made as start-up makes them, over a database in a sandbox (filled with the sample
// rows unless asked otherwise), English texts.
struct EditorsFixture {
    explicit EditorsFixture(bool fill = true)
        : box(std::make_unique<testenv::Sandbox>())
    {
        dbFile = box->makeDatabase(box->documents() + QStringLiteral("/Orvel3DB"));
        if (fill)
            testenv::fillSample(dbFile, QDate(2025, 3, 15));
        Lang = new cLang();
        Lang->setAppLanguageId(3);
        Lang->LanguageUpdate();
        Adb = new cAccessDb();
        Sheet = new cSheet();
        Env = new cEnvironment();
    }
    ~EditorsFixture()
    {
        // Windows owned by other windows go with their owner.
        QList<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets())
            windows.append(w);
        for (const QPointer<QWidget> &w : windows)
            delete w.data();
        ReleaseGlobals();
    }

    // The first value of a query, read on a connection of its own.
    QVariant value(const QString &sql) const
    {
        platform::Recordset rs;
        rs.Open(sql, testenv::connectionString(dbFile));
        return rs.EOF() ? QVariant() : rs.value(0);
    }
    int count(const QString &sql) const { return value(sql).toInt(); }
    // Runs a statement of the program's dialect on a connection of its own.
    void execute(const QString &sql) const
    {
        platform::Connection cn;
        cn.Open(testenv::connectionString(dbFile));
        cn.Execute(sql);
    }

    // Runs SQLite's own SQL on the file, past the program's data layer: triggers that make a write fail.
    void rawExec(const char *sql) const { testenv::rawExec(dbFile, sql); }
    // Every write of the kind (INSERT, UPDATE, DELETE) on the table fails as a full disk would.
    void failWrites(const QString &kind, const QString &table) const
    {
        rawExec(QStringLiteral("CREATE TRIGGER fail_%1 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;")
                    .arg(kind, table)
                    .toUtf8()
                    .constData());
    }

    std::unique_ptr<testenv::Sandbox> box;
    QString dbFile;
};

// Types text key by key, letters outside ASCII too (as a keyboard layout or input method gives them).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Loads a record editor as the main window does (without it): the saves it tells (rowSaved) are appended to
// saved, in order.
template <class Editor>
Editor *loadEditor(QList<int> &saved)
{
    const bool loaded = Editor::instance();
    Editor *w = Editor::Load();
    if (!loaded)
        QObject::connect(w, &RecordEditorWindow::rowSaved, w, [&saved](int id) { saved << id; });
    return w;
}

// Runs act on the modal window once its loop runs (the window is made active first, so focus moves as it
// does for the user); whatever act leaves open is then cancelled, so that a failing check never blocks.
template <class Editor>
void whenShown(std::function<void(Editor *)> act)
{
    QTimer::singleShot(0, [act] {
        Editor *e = Editor::instance();
        if (!e || !e->isVisible())
            return;
        e->activateWindow();
        QApplication::setActiveWindow(e);
        act(e);
        if (Editor::instance() && e->isVisible())
            e->cmdAnnulla_Click();
    });
}

// The name a screen reader gives a field. Qt names a list on Linux by its current item and tells its label
// through the "labelled by" relation: for a list, the label's name.
inline QString fieldName(QWidget *field)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(field);
    if (!a)
        return QString();
    if (qobject_cast<QComboBox *>(field)) {
        const auto labels = a->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return a->text(QAccessible::Name);
}

// Pastes text into a box as the user does: the clipboard holds it, Ctrl+V puts it in (at the cursor).
inline void pasteInto(QWidget *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    QTest::keySequence(box, QKeySequence::Paste);
}
