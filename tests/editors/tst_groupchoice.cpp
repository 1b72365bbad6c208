// The two series choice dialogs (add to a series, erase a series) driven through their controls: the
// answer of every way out, the texts and help topics, the bold selected option, a fresh start after unload.

#include "EditorsFixture.h"
#include "ModalSteps.h"

#include "editors/frmGrpAdd.h"
#include "editors/frmGrpErase.h"
#include "platform/shell/Shell.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {
int g_helpContext = -1;
void recordHelp(const QString &, int context)
{
    g_helpContext = context;
}

// The two twins behind one face, by name ("add", "erase").
GroupChoiceDialog *load(const QString &form)
{
    if (form == QLatin1String("add"))
        return frmGrpAdd::Load();
    return frmGrpErase::Load();
}
void unload(const QString &form)
{
    if (form == QLatin1String("add"))
        frmGrpAdd::Unload();
    else
        frmGrpErase::Unload();
}
QRadioButton *option(const QString &form, int index)
{
    if (form == QLatin1String("add"))
        return frmGrpAdd::instance()->optadd(index);
    return frmGrpErase::instance()->opterase(index);
}
bool isBold(QWidget *w)
{
    return w->font().bold();
}
} // namespace

class tst_groupchoice : public QObject
{
    Q_OBJECT

private slots:
    void init() { fx = std::make_unique<EditorsFixture>(false); }
    void cleanup()
    {
        frmGrpAdd::Unload();
        frmGrpErase::Unload();
        fx.reset();
    }

    void answers_data();
    void answers();
    void texts_data();
    void texts();
    void boldFollowsSelection_data();
    void boldFollowsSelection();
    void freshAfterUnload_data();
    void freshAfterUnload();

private:
    std::unique_ptr<EditorsFixture> fx;
};

static void addForms()
{
    QTest::addColumn<QString>("form");
}

void tst_groupchoice::answers_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("choice");
    for (const char *form : {"add", "erase"}) {
        const QString f = QString::fromLatin1(form);
        auto row = [&](const char *name, const QStringList &steps, int choice) {
            QTest::addRow("%s: %s", form, name) << f << steps << choice;
        };
        row("OK untouched", {QStringLiteral("ok")}, 1);
        row("option 1, OK", {QStringLiteral("opt1"), QStringLiteral("ok")}, 2);
        row("option 1 then 0, OK", {QStringLiteral("opt1"), QStringLiteral("opt0"), QStringLiteral("ok")}, 1);
        row("option 1, Cancel", {QStringLiteral("opt1"), QStringLiteral("cancel")}, 0);
        row("Cancel untouched", {QStringLiteral("cancel")}, 0);
        row("option 1, Esc", {QStringLiteral("opt1"), QStringLiteral("esc")}, 0);
        row("option 1, Enter", {QStringLiteral("opt1"), QStringLiteral("enter")}, 2);
        row("Down arrow, Enter", {QStringLiteral("down"), QStringLiteral("enter")}, 2);
    }
}

void tst_groupchoice::answers()
{
    QFETCH(QString, form);
    QFETCH(QStringList, steps);
    QFETCH(int, choice);
    auto leftOpen = onModal([&](QWidget *w) {
        auto *d = qobject_cast<GroupChoiceDialog *>(w);
        QVERIFY(d);
        for (const QString &s : steps) {
            if (s == QLatin1String("ok"))
                d->cmdOK->click();
            else if (s == QLatin1String("cancel"))
                d->cmdCancel->click();
            else if (s == QLatin1String("opt0"))
                option(form, 0)->click();
            else if (s == QLatin1String("opt1"))
                option(form, 1)->click();
            else if (s == QLatin1String("esc"))
                QTest::keyClick(d, Qt::Key_Escape);
            else if (s == QLatin1String("enter"))
                QTest::keyClick(option(form, 1), Qt::Key_Return);   // not taken by the option: the default button
            else if (s == QLatin1String("down"))
                QTest::keyClick(option(form, 0), Qt::Key_Down);
        }
    });
    const int answer = load(form)->Apri();
    unload(form);
    QVERIFY2(!*leftOpen, "the dialog stayed open");
    QCOMPARE(answer, choice);
}

void tst_groupchoice::texts_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("option0");
    QTest::addColumn<QString>("option1");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<int>("help");
    QTest::newRow("add") << "add" << "Add Deadlines" << "Add Deadlines"
                         << "Add Deadlines to the group of selected Deadline" << "Continue" << 3;
    QTest::newRow("erase") << "erase" << "Delete" << "Delete only selected deadline" << "Delete all group deadlines"
                           << "Delete" << 5;
}

void tst_groupchoice::texts()
{
    QFETCH(QString, form);
    QFETCH(QString, caption);
    QFETCH(QString, option0);
    QFETCH(QString, option1);
    QFETCH(QString, ok);
    QFETCH(int, help);
    platform::setHelpHandler(recordHelp);
    g_helpContext = -1;
    GroupChoiceDialog *d = load(form);
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(d->Label1->text(), QStringLiteral("Deadline is part of a group: select an option."));
    QCOMPARE(option(form, 0)->text(), option0);
    QCOMPARE(option(form, 1)->text(), option1);
    QCOMPARE(d->cmdOK->text(), ok);
    QCOMPARE(d->cmdCancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(d->HelpContextID(), help);
    QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
    QTest::keyClick(option(form, 0), Qt::Key_F1);
    QCOMPARE(g_helpContext, help);
}

void tst_groupchoice::boldFollowsSelection_data()
{
    addForms();
    QTest::addColumn<int>("language");
    const std::pair<const char *, int> languages[] = {{"Italian", 6}, {"English", 3}, {"French", 5}, {"Spanish", 4},
                                                      {"German", 2}};
    for (const char *form : {"add", "erase"})
        for (const auto &[name, language] : languages)
            QTest::addRow("%s, %s", form, name) << QString::fromLatin1(form) << language;
}

// The option chosen is shown bold; the dialog keeps its size and its buttons their place whichever it is.
void tst_groupchoice::boldFollowsSelection()
{
    QFETCH(QString, form);
    QFETCH(int, language);
    Lang->setAppLanguageId(language);
    Lang->LanguageUpdate();
    GroupChoiceDialog *d = load(form);
    d->show();
    // The layout as it is after the events of a click: laid out again at once.
    const auto laidOut = [d] {
        QCoreApplication::sendPostedEvents();
        d->layout()->activate();
    };
    laidOut();
    const QSize size = d->size();
    const QPoint ok = d->cmdOK->pos();
    QVERIFY(option(form, 0)->isChecked());
    QVERIFY(isBold(option(form, 0)));
    QVERIFY(!isBold(option(form, 1)));
    option(form, 1)->click();
    laidOut();
    QVERIFY(!isBold(option(form, 0)));
    QVERIFY(isBold(option(form, 1)));
    QCOMPARE(d->size(), size);
    QCOMPARE(d->cmdOK->pos(), ok);
    option(form, 0)->click();
    laidOut();
    QVERIFY(isBold(option(form, 0)));
    QVERIFY(!isBold(option(form, 1)));
    QCOMPARE(d->size(), size);
    d->hide();
}

void tst_groupchoice::freshAfterUnload_data()
{
    addForms();
    QTest::newRow("add") << "add";
    QTest::newRow("erase") << "erase";
}

void tst_groupchoice::freshAfterUnload()
{
    QFETCH(QString, form);
    onModal([&](QWidget *w) {
        option(form, 1)->click();
        static_cast<GroupChoiceDialog *>(w)->cmdOK->click();
    });
    QCOMPARE(load(form)->Apri(), 2);
    unload(form);

    // Loaded again: option 0 is selected, and OK untouched answers 1.
    onModal([&](QWidget *w) {
        QVERIFY(option(form, 0)->isChecked());
        QVERIFY(isBold(option(form, 0)));
        static_cast<GroupChoiceDialog *>(w)->cmdOK->click();
    });
    QCOMPARE(load(form)->Apri(), 1);
    unload(form);
}

QTEST_MAIN(tst_groupchoice)
#include "tst_groupchoice.moc"
