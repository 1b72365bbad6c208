// The editors' windows as the window system shows them: the small dialogs wide enough for their titles in
// every language, the record editors and the accounts window tied to the main window and opened over it,
// and an editor that keeps its width whatever hint its status bar shows.

#include "EditorsFixture.h"
#include "ModalSteps.h"

#include "editors/frmAccounts.h"
#include "editors/frmCloseDeadline.h"
#include "editors/frmDelClosedRows.h"
#include "editors/frmGrpAdd.h"
#include "editors/frmGrpErase.h"
#include "editors/frmNewAcc.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "foundation/WindowSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

namespace {

enum Dialog { CloseDeadline, DeleteClosed, GroupAdd, GroupErase, AccountEditor };

// Shows one of the small dialogs as its command does and gives the width it was shown with and the room
// its title needs there.
QPair<int, int> shownWidth(Dialog which, QWidget *owner)
{
    QPair<int, int> seen(0, 0);
    auto leftOpen = onModal([&seen](QWidget *w) {
        seen = {w->frameGeometry().width(), TitleWidth(w->windowTitle())};
        qobject_cast<QDialog *>(w)->reject();
    });
    switch (which) {
    case CloseDeadline:
        frmCloseDeadline::Load(owner)->Apri(1);
        frmCloseDeadline::Unload();
        break;
    case DeleteClosed:
        frmDelClosedRows::ShowModal(owner);
        break;
    case GroupAdd:
        frmGrpAdd::Load(owner)->Apri();
        frmGrpAdd::Unload();
        break;
    case GroupErase:
        frmGrpErase::Load(owner)->Apri();
        frmGrpErase::Unload();
        break;
    case AccountEditor:
        frmNewAcc::Load(owner)->Nuovo();
        frmNewAcc::Unload();
        break;
    }
    if (*leftOpen)
        qWarning("a dialog stayed open");
    return seen;
}

} // namespace

class tst_editorwindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fx = std::make_unique<EditorsFixture>();
        owner = new QWidget;
        owner->setGeometry(40, 30, 720, 540);   // inside the screen, so that nothing is moved onto it
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
    }
    void cleanup()
    {
        fx.reset();   // takes the windows down, the owner with its own
    }

    void smallDialogTitlesFit_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("language");
        const struct {
            const char *name;
            Dialog dialog;
        } dialogs[] = {{"close a deadline", CloseDeadline}, {"delete closed deadlines", DeleteClosed},
                       {"add to a series", GroupAdd}, {"erase a series", GroupErase}, {"new account", AccountEditor}};
        for (const auto &d : dialogs)
            for (int language : {6, 3, 5, 4, 2})
                QTest::addRow("%s, language %d", d.name, language) << int(d.dialog) << language;
    }
    void smallDialogTitlesFit()
    {
        QFETCH(int, dialog);
        QFETCH(int, language);
        Lang->setAppLanguageId(language);
        Lang->LanguageUpdate();
        const QPair<int, int> seen = shownWidth(Dialog(dialog), owner);
        QVERIFY(seen.second > 0);
        QVERIFY2(seen.first >= seen.second, qPrintable(QStringLiteral("%1 < %2").arg(seen.first).arg(seen.second)));
    }

    // The record editors and the accounts window belong to the main window: the window system keeps them
    // over it (no taskbar entry of their own) and they open over its middle.
    void windowsOpenOverTheirOwner_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("new deadline") << "frmScadenzeNuovo";
        QTest::newRow("deadline") << "frmScadenze";
        QTest::newRow("cash book") << "frmPN";
        QTest::newRow("accounts") << "frmAccounts";
    }
    void windowsOpenOverTheirOwner()
    {
        QFETCH(QString, window);
        const int id = fx->value(QStringLiteral("SELECT Min(TrRowId) FROM Transactions WHERE IsPN=False")).toInt();
        QWidget *w = nullptr;
        if (window == QLatin1String("frmScadenzeNuovo")) {
            frmScadenzeNuovo::Load(owner)->Nuovo();
            w = frmScadenzeNuovo::instance();
        } else if (window == QLatin1String("frmScadenze")) {
            frmScadenze::Load(owner)->Apri(id);
            w = frmScadenze::instance();
        } else if (window == QLatin1String("frmPN")) {
            frmPN::Load(owner)->Nuovo();
            w = frmPN::instance();
        } else {
            w = frmAccounts::Open(owner);
        }
        QVERIFY(w && w->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // A dialog-type window: the one kind the window system keeps with its owner (WM_TRANSIENT_FOR).
        QCOMPARE(w->windowType(), Qt::Dialog);
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowHandle()->transientParent(), owner->windowHandle());
        const QPoint offset = w->frameGeometry().center() - owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 40, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    // Moving through the fields shows each one's hint in the status bar; the window keeps its width.
    void hintsNeverWidenTheEditor_data()
    {
        QTest::addColumn<int>("language");
        for (int language : {6, 3, 5, 4, 2})
            QTest::addRow("language %d", language) << language;
    }
    void hintsNeverWidenTheEditor()
    {
        QFETCH(int, language);
        Lang->setAppLanguageId(language);
        Lang->LanguageUpdate();
        frmScadenzeNuovo *w = frmScadenzeNuovo::Load(owner);
        w->Nuovo();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QApplication::setActiveWindow(w);
        QCoreApplication::processEvents();
        const int width = w->width();
        QStringList hints;
        QWidget *hinted = nullptr;
        for (QWidget *field : w->findChildren<QWidget *>()) {
            if (field->toolTip().isEmpty() || !field->isEnabled() || !field->isVisible()
                || field->focusPolicy() == Qt::NoFocus)
                continue;
            field->setFocus();
            QCoreApplication::processEvents();
            if (!w->sbPanel1->text().isEmpty()) {
                hints << w->sbPanel1->text();
                hinted = hinted ? hinted : field;
            }
            QCOMPARE(w->width(), width);
        }
        QVERIFY(hints.size() >= 5);
        // A hint longer than the window is wide is cut, not made room for.
        hinted->setToolTip(hints.join(QLatin1Char(' ')).repeated(3));
        w->cmdAnnulla->setFocus();
        hinted->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(QFontMetrics(w->sbPanel1->font()).horizontalAdvance(w->sbPanel1->text()) > 2 * width);
        QCOMPARE(w->width(), width);
    }

private:
    std::unique_ptr<EditorsFixture> fx;
    QWidget *owner = nullptr;
};

QTEST_MAIN(tst_editorwindows)
#include "tst_editorwindows.moc"
