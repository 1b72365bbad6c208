// Renders the main window on a filled database in English and Italian, and the other windows, and writes the pictures to
// $ORVEL_SCREENSHOT_DIR when it is set, so the look can be checked by eye.

#include "MainWindowFixture.h"

#include <QComboBox>
#include "../editors/ModalSteps.h"
#include "editors/frmAccounts.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "mainwindow/frmOptions.h"
#include "mainwindow/frmScadenziari.h"

#include <QDir>
#include <QTest>

class tst_Screens : public QObject
{
    Q_OBJECT

private slots:
    void mainWindow_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<QString>("name");
        QTest::newRow("English, deadlines, by date") << 3 << 0 << 1 << "main-en-deadlines";
        QTest::newRow("Italian, cash book, by month") << 6 << 1 << 2 << "main-it-cashbook";
        QTest::newRow("English, deadlines, no grouping") << 3 << 0 << 0 << "main-en-plain";
    }
    void mainWindow()
    {
        QFETCH(int, language);
        QFETCH(int, view);
        QFETCH(int, grouping);
        QFETCH(QString, name);
        MainWindowFixture f(true, QLocale(language == 6 ? QLocale::Italian : QLocale::English,
                                          language == 6 ? QLocale::Italy : QLocale::UnitedStates),
                            language);
        frmMain *w = f.load();
        w->resize(1400, 860);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        switchView(w, view);
        chooseItem(cmbGroup(w), grouping);
        QTest::mouseClick(control<QToolButton>(w, "imgMese"), Qt::LeftButton);
        QCoreApplication::processEvents();
        const QImage shot = w->grab().toImage();
        QVERIFY(!shot.isNull());
        const QString dir = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
        }
    }
};

namespace {
void save(QWidget *w, const QString &name)
{
    const QImage shot = w->grab().toImage();
    QVERIFY(!shot.isNull());
    const QString dir = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        QVERIFY(shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
    }
}
} // namespace

class tst_WindowScreens : public QObject
{
    Q_OBJECT

private slots:
    // Every other window of the program, rendered over a filled database.
    void windows()
    {
        MainWindowFixture f;
        frmMain *w = f.load();
        w->show();
        frmAccounts *accounts = frmAccounts::Open(w);
        QCoreApplication::processEvents();
        save(accounts, QStringLiteral("accounts"));
        accounts->close();
        frmScadenzeNuovo *editor = frmScadenzeNuovo::Load(w);
        editor->Nuovo();
        QCoreApplication::processEvents();
        save(editor, QStringLiteral("new-deadline"));
        editor->close();
        frmScadenzeNuovo::Unload();
        frmScadenze *row = frmScadenze::Load(w);
        row->Apri(1);
        QCoreApplication::processEvents();
        save(row, QStringLiteral("deadline"));
        row->close();
        frmScadenze::Unload();
        auto options = onModal([](QWidget *dlg) { save(dlg, QStringLiteral("options")); dlg->close(); });
        menuItem(w, "mnuView5")->trigger();
        auto sheets = onModal([](QWidget *dlg) { save(dlg, QStringLiteral("datasheets")); QTest::keyClick(dlg, Qt::Key_Escape); });
        menuItem(w, "mnuFile0")->trigger();
        Q_UNUSED(options);
        Q_UNUSED(sheets);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    tst_Screens a;
    tst_WindowScreens b;
    return QTest::qExec(&a, argc, argv) | QTest::qExec(&b, argc, argv);
}
#include "tst_screens.moc"
