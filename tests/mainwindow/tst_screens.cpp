// Renders the main window on a filled database in English and Italian, and writes the pictures to
// $ORVEL_SCREENSHOT_DIR when it is set, so the look can be checked by eye.

#include "MainWindowFixture.h"

#include <QComboBox>
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
        w->SwitchView(view);
        w->cmbGroup->setCurrentIndex(grouping);
        w->cmbGroup_Click();
        w->imgMese_Click();
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

QTEST_MAIN(tst_Screens)
#include "tst_screens.moc"
