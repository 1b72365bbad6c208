// The shared helpers: key filters, null conversions, SQL literals, dates, attachment names and opening.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/shell/Shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

namespace {
QStringList g_opened;
bool g_openerWorks = true;
}

class tst_Shared : public QObject
{
    Q_OBJECT

private slots:
    void filterDecimalKey_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        const QLocale it(QLocale::Italian, QLocale::Italy);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("it: full stop becomes comma") << it << int('.') << int(',');
        QTest::newRow("en: full stop stays") << en << int('.') << int('.');
        QTest::newRow("it: comma passes") << it << int(',') << int(',');
        QTest::newRow("en: comma passes") << en << int(',') << int(',');
        QTest::newRow("letter swallowed") << en << int('a') << 0;
        QTest::newRow("minus swallowed") << en << int('-') << 0;
        QTest::newRow("digit") << it << int('7') << int('7');
        QTest::newRow("backspace") << it << 8 << 8;
        QTest::newRow("tab") << it << 9 << 9;
    }
    void filterDecimalKey()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, key);
        QFETCH(int, expected);
        testenv::Sandbox box(QDate(2025, 3, 15), locale);
        QCOMPARE(FilterDecimalKey(key), expected);
    }

    void filterIntegerKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("digit") << int('0') << int('0');
        QTest::newRow("full stop") << int('.') << 0;
        QTest::newRow("comma") << int(',') << 0;
        QTest::newRow("backspace") << 8 << 8;
        QTest::newRow("enter") << 13 << 0;
    }
    void filterIntegerKey()
    {
        QFETCH(int, key);
        QFETCH(int, expected);
        QCOMPARE(FilterIntegerKey(key), expected);
    }

    void sqlLiterals_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quote") << SqlQuote(QStringLiteral("O'Brien")) << QStringLiteral("O''Brien");
        QTest::newRow("two quotes") << SqlQuote(QStringLiteral("''")) << QStringLiteral("''''");
        QTest::newRow("no quote") << SqlQuote(QStringLiteral("plain")) << QStringLiteral("plain");
        QTest::newRow("date") << SqlDate(QDate(2024, 3, 5)) << QStringLiteral("#03/05/2024#");
        QTest::newRow("iso date") << SqlDate(QDate(2024, 3, 5), true) << QStringLiteral("'2024-03-05'");
        QTest::newRow("short date") << SqlDateShort(QDate(2024, 3, 5)) << QStringLiteral("#03/05/24#");
    }
    void sqlLiterals()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void sqlDateIgnoresTheLocale()
    {
        testenv::Sandbox box(QDate(2025, 3, 15), QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(SqlDate(QDate(2024, 12, 31)), QStringLiteral("#12/31/2024#"));
    }

    void calendarHelpers_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("period");
        QTest::newRow("leap February") << QDate(2024, 2, 10) << 29 << 1;
        QTest::newRow("common February") << QDate(2023, 2, 28) << 28 << 1;
        QTest::newRow("31 January") << QDate(2024, 1, 31) << 31 << 1;
        QTest::newRow("April") << QDate(2024, 4, 30) << 30 << 1;
        QTest::newRow("May") << QDate(2024, 5, 1) << 31 << 2;
        QTest::newRow("August") << QDate(2024, 8, 31) << 31 << 2;
        QTest::newRow("September") << QDate(2024, 9, 1) << 30 << 3;
        QTest::newRow("December") << QDate(2024, 12, 31) << 31 << 3;
    }
    void calendarHelpers()
    {
        QFETCH(QDate, date);
        QFETCH(int, days);
        QFETCH(int, period);
        QCOMPARE(DaysInMonth(date), days);
        QCOMPARE(FourMonthPeriod(date), period);
    }

    void nullConversions()
    {
        testenv::Sandbox box(QDate(2025, 3, 15), QLocale(QLocale::Italian, QLocale::Italy));
        QCOMPARE(NullToString(QVariant(), QString()), QString());
        QCOMPARE(NullToString(QVariant(QMetaType(QMetaType::QString)), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(NullToString(QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("x"));
        QCOMPARE(NullToDouble(QStringLiteral("12,5"), 0), 12.5);
        QCOMPARE(NullToDouble(QVariant(), 0), 0.0);
        QCOMPARE(NullToDouble(QStringLiteral("abc"), 3), 3.0);
        QCOMPARE(NullToDouble(7, 0), 7.0);
        QCOMPARE(NullToDouble(QVariant::fromValue(platform::Currency::fromRaw(125000)), 0), 12.5);
    }

    void newAttachmentName()
    {
        testenv::Sandbox box;
        platform::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 3, 9, 270)));
        QCOMPARE(NewAttachmentName(QStringLiteral(".pdf")), QStringLiteral("2024030514030927.pdf"));
        platform::setNow(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0, 5)));
        QCOMPARE(NewAttachmentName(QStringLiteral(".txt")), QStringLiteral("2024030500000000.txt"));
    }

    void openAttachment_data()
    {
        QTest::addColumn<QString>("stored");    // ATT/: the attachments folder; HOME/: a folder of the user
        QTest::addColumn<QString>("file");      // the file made first ("" none), same placeholders
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("openerWorks");
        QTest::addColumn<QString>("opened");    // "" nothing opened
        QTest::addColumn<int>("message");       // text id of the message shown, 0 none
        QTest::addColumn<QString>("named");     // the file the message names
        const QByteArray pdf("%PDF-1.4\n");
        const QString copy = QStringLiteral("ATT/2024030514030927.pdf");
        QTest::newRow("copy in the attachments folder") << QStringLiteral("2024030514030927.pdf ") << copy << pdf << false
                                                        << true << copy << 0 << QString();
        QTest::newRow("copy gone") << QStringLiteral("2024030514030927.pdf") << QString() << pdf << false << true
                                   << QString() << 2040 << copy;
        QTest::newRow("a generated name leading out of the folder")
            << QStringLiteral("2024/../../bill.pdf") << QStringLiteral("HOME/bill.pdf") << pdf << false << true << QString()
            << 2040 << QStringLiteral("2024/../../bill.pdf");
        QTest::newRow("a bare name is no web address") << QStringLiteral("missing.pdf") << QString() << pdf << false << true
                                                       << QString() << 2040 << QStringLiteral("missing.pdf");
        QTest::newRow("a host-like name is no web link")
            << QStringLiteral("evil.example.com/payload.exe") << QString() << pdf << false << true << QString() << 2040
            << QStringLiteral("evil.example.com/payload.exe");
        QTest::newRow("a link") << QStringLiteral("https://example.com/bill.pdf") << QString() << pdf << false << true
                                << QString() << 2040 << QStringLiteral("https://example.com/bill.pdf");
        QTest::newRow("full path") << QStringLiteral(" HOME/bill.pdf ") << QStringLiteral("HOME/bill.pdf") << pdf << false
                                   << true << QStringLiteral("HOME/bill.pdf") << 0 << QString();
        QTest::newRow("a document marked executable, as some disks mark every file")
            << QStringLiteral("HOME/bill.pdf") << QStringLiteral("HOME/bill.pdf") << pdf << true << true
            << QStringLiteral("HOME/bill.pdf") << 0 << QString();
        QTest::newRow("a script") << QStringLiteral("HOME/run.sh") << QStringLiteral("HOME/run.sh")
                                  << QByteArray("#!/bin/sh\nrm -rf ~\n") << false << true << QString() << 2041
                                  << QStringLiteral("HOME/run.sh");
        QTest::newRow("a desktop entry") << QStringLiteral("HOME/invoice.desktop") << QStringLiteral("HOME/invoice.desktop")
                                         << QByteArray("[Desktop Entry]\nType=Application\nExec=sh\n") << false << true
                                         << QString() << 2041 << QStringLiteral("HOME/invoice.desktop");
        QTest::newRow("an executable of no known kind") << QStringLiteral("HOME/invoice") << QStringLiteral("HOME/invoice")
                                                        << QByteArray("rm -rf ~\n") << true << true << QString() << 2041
                                                        << QStringLiteral("HOME/invoice");
        QTest::newRow("no program opens it") << QStringLiteral("HOME/bill.pdf") << QStringLiteral("HOME/bill.pdf") << pdf
                                             << false << false << QStringLiteral("HOME/bill.pdf") << 2042
                                             << QStringLiteral("HOME/bill.pdf");
        QTest::newRow("empty") << QString() << QString() << pdf << false << true << QString() << 0 << QString();
    }
    void openAttachment()
    {
        QFETCH(QString, stored);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(bool, openerWorks);
        QFETCH(QString, opened);
        QFETCH(int, message);
        QFETCH(QString, named);
        testenv::Sandbox box;
        Lang = new cLang();
        Adb = new cAccessDb();
        const auto place = [&box](QString path) {
            path.replace(QStringLiteral("ATT/"), Adb->attachedPath());
            path.replace(QStringLiteral("HOME/"), box.home() + QLatin1Char('/'));
            return path;
        };
        if (!file.isEmpty()) {
            QDir().mkpath(QFileInfo(place(file)).path());
            QFile f(place(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            f.close();
            if (executable)
                QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser));
        }
        g_opened.clear();
        g_openerWorks = openerWorks;
        platform::setOpenHandler([](const QString &p) {
            g_opened << p;
            return g_openerWorks;
        });
        QCOMPARE(OpenAttachment(place(stored)), opened.isEmpty() ? false : message == 0);
        QCOMPARE(g_opened, opened.isEmpty() ? QStringList() : QStringList{place(opened)});
        if (message == 0) {
            QVERIFY(box.requests().isEmpty());
        } else {
            QCOMPARE(box.requests().size(), 1);
            QCOMPARE(box.requests()[0].text, LRSV(message, place(named)));
        }
        ReleaseGlobals();
    }

    // Without a stand-in opener the desktop's own (xdg-open, here a stand-in first on the PATH) is asked; when
    // it ends without having shown the file, the user is told so once it has ended.
    void openAttachmentFailureToldByTheDesktopOpener_data()
    {
        QTest::addColumn<int>("openerExit");
        QTest::addColumn<int>("message"); // 0 none
        QTest::newRow("shown") << 0 << 0;
        QTest::newRow("no program for the file") << 3 << 2042;
        QTest::newRow("the program fails") << 4 << 2042;
    }
    void openAttachmentFailureToldByTheDesktopOpener()
    {
        QFETCH(int, openerExit);
        QFETCH(int, message);
        testenv::Sandbox box;
        Lang = new cLang();
        Adb = new cAccessDb();
        platform::setOpenHandler(nullptr);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([path] {
            qputenv("PATH", path);
            ReleaseGlobals();
        });
        const QString bin = box.root() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        QFile opener(bin + QStringLiteral("/xdg-open"));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\nexit %1\n").arg(openerExit).toUtf8());
        opener.close();
        opener.setPermissions(opener.permissions() | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ':' + path);
        const QString bill = box.home() + QStringLiteral("/bill.pdf");
        QFile f(bill);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%PDF-1.4\n");
        f.close();

        QVERIFY(OpenAttachment(bill));
        QVERIFY(box.requests().isEmpty()); // nothing known yet: the opener is still running
        for (QProcess *p : qApp->findChildren<QProcess *>())
            p->waitForFinished();
        QCoreApplication::processEvents();
        QCOMPARE(box.requests().size(), message == 0 ? 0 : 1);
        if (message != 0)
            QCOMPARE(box.requests()[0].text, LRSV(message, bill));
    }

    void messageBoxShowsTheTextAsWritten()
    {
        testenv::Sandbox box;
        platform::setDialogResponder({});   // the real message box, closed as soon as it is up
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *message = qobject_cast<QMessageBox *>(top); message && message->isVisible()) {
                    shown = message->text();
                    format = message->textFormat();
                    message->button(QMessageBox::Ok)->click();
                }
        });
        closer.start(10);
        const QString text = QStringLiteral("Sheet <b>Big</b> & Co selected");
        QCOMPARE(platform::MsgBox(text), int(platform::vbOK));
        QCOMPARE(shown, text);
        QCOMPARE(format, Qt::PlainText);
    }

    void appErrorText_data()
    {
        QTest::addColumn<int>("language");   // AppLanguageId: 6 Italian, 3 English, 2 German
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("told");   // the first line: a text of the table, or the description
        QTest::newRow("our own words") << 3 << int(platform::ErrorKind::Other) << QString() << "Disk full";
        QTest::newRow("a row changed, Italian") << 6 << int(platform::ErrorKind::RowChanged) << QString() << "2044";
        QTest::newRow("database locked, German") << 2 << int(platform::ErrorKind::DatabaseLocked) << QString() << "2045";
        QTest::newRow("full disk, naming the file") << 3 << int(platform::ErrorKind::DiskFull)
                                                    << QStringLiteral("/data/Orvel3DB/attached/2024.pdf") << "2047";
        QTest::newRow("not a database, Italian") << 6 << int(platform::ErrorKind::NotADatabase)
                                                 << QStringLiteral("/data/orvel3.mdb") << "2048";
        QTest::newRow("a column missing, Italian") << 6 << int(platform::ErrorKind::WrongStructure)
                                                   << QStringLiteral("TrAlertDays") << "2202";
    }
    void appErrorText()
    {
        QFETCH(int, language);
        QFETCH(int, kind);
        QFETCH(QString, subject);
        QFETCH(QString, told);
        testenv::Sandbox box;
        Lang = new cLang();
        Lang->setAppLanguageId(language);
        Lang->LanguageUpdate();
        const platform::RuntimeError e(5, QStringLiteral("x"), QStringLiteral("Disk full"), platform::ErrorKind(kind),
                                       subject);
        bool isId = false;
        const int id = told.toInt(&isId);
        QString expected = isId ? LRS(id) : told;
        QVERIFY(!expected.isEmpty());
        if (!subject.isEmpty())
            expected += QLatin1Char('\n') + subject;
        QCOMPARE(AppErrorText(e, QStringLiteral("frmMain"), QStringLiteral("gexUpdate"), 12),
                 expected + QLatin1Char('\n') + LRSV(1944, QStringLiteral("frmMain.gexUpdate")) + LRS(1945)
                     + QStringLiteral("12"));
        ReleaseGlobals();
    }
};

QTEST_MAIN(tst_Shared)
#include "tst_shared.moc"
