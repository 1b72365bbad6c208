// The main window on the screens people have: 1280 x 720 and 1920 x 1080, side by side. It opens whole on
// either, its minimum size fits the smaller one, and the calendar pane's title shows whole in every language.

#include "MainWindowFixture.h"

#include "foundation/Twips.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

namespace {

QScreen *screenNamed(const QString &name)
{
    for (QScreen *s : QGuiApplication::screens())
        if (s->name() == name)
            return s;
    return nullptr;
}

QString shown(const QRect &r)
{
    return QStringLiteral("%1 x %2 at %3, %4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

} // namespace

class tst_ScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void windowFitsTheScreen_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("language");
        for (const char *screen : {"laptop", "desktop"})
            for (int language : {6, 3, 5, 4, 2})
                QTest::addRow("%s, language %d", screen, language) << QString::fromLatin1(screen) << language;
    }
    void windowFitsTheScreen()
    {
        QFETCH(QString, screen);
        QFETCH(int, language);
        QScreen *target = screenNamed(screen);
        QVERIFY(target);
        MainWindowFixture f(true, QLocale(QLocale::English, QLocale::UnitedStates), language);
        frmMain *w = f.load();
        w->move(target->availableGeometry().topLeft());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
        QCOMPARE(w->screen(), target);

        // Whole on the screen, its minimum within the screen's room and the fixed one wherever it fits.
        const QRect free = target->availableGeometry();
        QVERIFY2(free.contains(w->frameGeometry()), qPrintable(shown(w->frameGeometry())));
        const QSize minimum = w->minimumSize() + (w->frameGeometry().size() - w->size());
        const QSize fixed(TwipsToPixels(15570), TwipsToPixels(10920));
        QVERIFY(minimum.width() <= free.width() && minimum.height() <= free.height());
        QCOMPARE(minimum.width(), qMin(fixed.width(), free.width()));
        QCOMPARE(minimum.height(), qMin(fixed.height(), free.height()));

        // The calendar's title in both views: the text as the label lays it out lies inside the label.
        for (int view : {0, 1}) {
            switchView(w, view);
            QCoreApplication::processEvents();
            const QLabel *title = label(w, "lblCalTitle");
            const QRect room = title->contentsRect();
            const int flags = int(title->alignment()) | (title->wordWrap() ? int(Qt::TextWordWrap) : 0);
            const QRect need = title->fontMetrics().boundingRect(room, flags, title->text());
            QVERIFY2(room.contains(need), qPrintable(title->text() + QStringLiteral(": ") + shown(need)
                                                     + QStringLiteral(" in ") + shown(room)));
        }
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" ORVEL_TEST_DATA "/two-screens.json");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_ScreenFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenfit.moc"
