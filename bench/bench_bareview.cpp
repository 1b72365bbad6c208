// The floor of the start-up and memory measures of bench_user: a bare program that reads the rows of a
// statement (already translated for the engine) into a minimal model, shows them in a bare QTreeView and,
// at the end of its first paint, prints the milliseconds since its launch (ORVEL_BENCH_LAUNCHED_NS) and its
// peak memory, and ends.
//     bench_bareview <database file> <statement>

#include "BareList.h"
#include "BenchProcess.h"

#include "platform/shell/Shell.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *window) : m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                const qint64 launched = qEnvironmentVariable("ORVEL_BENCH_LAUNCHED_NS").toLongLong();
                std::printf("first paint %.3f ms, peak %ld KiB\n", double(benchprocess::monotonicNs() - launched) / 1e6,
                            platform::peakResidentKiB());
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_seen = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_bareview <database file> <statement>\n");
        return 2;
    }
    bare::RowsModel model(bare::loadRows(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2])));
    bare::View view(&model);
    FirstPaint watch(&view.widget());
    app.installEventFilter(&watch);
    view.widget().show();
    return app.exec();
}
