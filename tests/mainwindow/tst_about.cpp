// The About box: title and version line in the current language, the two links opened through the shell
// with the busy pointer shown only while the shell call runs, OK closing the box.

#include "MainWindowFixture.h"

#include "mainwindow/frmAbout.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
QStringList g_opened;
QList<int> g_pointerDuringOpen;   // the override pointer's shape while the shell ran (-1: none)
bool g_openAnswers = true;

bool recordOpen(const QString &link)
{
    g_opened << link;
    const QCursor *c = QApplication::overrideCursor();
    g_pointerDuringOpen << (c ? int(c->shape()) : -1);
    return g_openAnswers;
}

int g_helpContext = -1;
void recordHelp(const QString &, int context)
{
    g_helpContext = context;
}
} // namespace

class tst_about : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fx = std::make_unique<MainWindowFixture>(false);
        g_opened.clear();
        g_pointerDuringOpen.clear();
        g_openAnswers = true;
        platform::setOpenHandler(recordOpen);
    }
    void cleanup()
    {
        QCoreApplication::setApplicationVersion(QString());
        fx.reset();
    }

    void texts_data();
    void texts();
    void versionNumbers_data();
    void versionNumbers();
    void links_data();
    void links();
    void okCloses();
    void helpKey();

private:
    std::unique_ptr<MainWindowFixture> fx;
};

void tst_about::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("version");
    QTest::newRow("English") << 3 << "Version 3.1.0";
    QTest::newRow("Italian") << 6 << "Versione 3.1.0";
    QTest::newRow("Spanish") << 4 << QString::fromUtf8("Versión 3.1.0");
}

void tst_about::texts()
{
    QFETCH(int, language);
    QFETCH(QString, version);
    Lang->setAppLanguageId(language);
    Lang->LanguageUpdate();
    Env->AppTitle = QStringLiteral("Orvel 3 - Studio");
    frmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Orvel 3 - Studio"));
    QCOMPARE(box.lblTitle->text(), QStringLiteral("Orvel 3 - Studio"));
    QCOMPARE(box.lblVersion->text(), version);
    QCOMPARE(box.cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(box.lblWeb->text(), frmAbout::WebAddress());
    QCOMPARE(box.lblMain->text(), frmAbout::SupportAddress());
}

void tst_about::versionNumbers_data()
{
    QTest::addColumn<QString>("applicationVersion");
    QTest::addColumn<QString>("numbers");
    QTest::newRow("not given: the release") << "" << "3.1.0";
    QTest::newRow("three numbers") << "3.1.0" << "3.1.0";
    QTest::newRow("two numbers") << "3.2" << "3.2.0";
    QTest::newRow("with a suffix") << "3.0.7-rc1" << "3.0.7";
    QTest::newRow("no number at all: the release") << "dev" << "3.1.0";
}

void tst_about::versionNumbers()
{
    QFETCH(QString, applicationVersion);
    QFETCH(QString, numbers);
    QCoreApplication::setApplicationVersion(applicationVersion);
    QCOMPARE(frmAbout::VersionNumbers(), numbers);
    frmAbout box;
    QCOMPARE(box.lblVersion->text(), QStringLiteral("Version ") + numbers);
}

void tst_about::links_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("shellAnswers");
    QTest::newRow("web site") << "lblWeb" << true;
    QTest::newRow("support mail") << "lblMain" << true;
    QTest::newRow("web site, no browser") << "lblWeb" << false;
    QTest::newRow("support mail, no mail program") << "lblMain" << false;
}

void tst_about::links()
{
    QFETCH(QString, label);
    QFETCH(bool, shellAnswers);
    g_openAnswers = shellAnswers;
    frmAbout box;
    box.show();
    QLabel *link = box.findChild<QLabel *>(label);
    QVERIFY(link);
    QTest::mouseClick(link, Qt::LeftButton);

    const QString expected = label == QLatin1String("lblWeb") ? frmAbout::WebLink() : frmAbout::SupportLink();
    QCOMPARE(g_opened, QStringList{expected});
    QVERIFY(expected.startsWith(label == QLatin1String("lblWeb") ? QStringLiteral("https://") : QStringLiteral("mailto:")));
    QCOMPARE(g_pointerDuringOpen, QList<int>{int(Qt::BusyCursor)});
    QVERIFY(!QApplication::overrideCursor());   // the default pointer again
    QVERIFY(fx->box->requests().isEmpty());      // nothing reported either way
    QVERIFY(box.isVisible());
}

void tst_about::okCloses()
{
    QWidget owner;
    QTimer::singleShot(0, &owner, [] {
        auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(box);
        box->cmdOK->click();
    });
    frmAbout::ShowModal(&owner);
    QVERIFY(owner.findChildren<frmAbout *>().isEmpty());   // unloaded
}

void tst_about::helpKey()
{
    platform::setHelpHandler(recordHelp);
    g_helpContext = -1;
    frmAbout box;
    QTest::keyClick(&box, Qt::Key_F1);
    QCOMPARE(g_helpContext, 1);
}

QTEST_MAIN(tst_about)
#include "tst_about.moc"
