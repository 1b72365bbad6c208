#pragma once

#include <QApplication>

// The program's application object. Every event goes through it: a run-time error that an event handler
// did not catch itself ends as the "App Error" message once the event is over, never as std::terminate;
// the program goes on with the next event. (Handlers report their own errors; this is the last guard.)
class GuardedApplication : public QApplication
{
    Q_OBJECT
public:
    GuardedApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The failures the guard caught since the program started.
    static int caughtCount();
};
