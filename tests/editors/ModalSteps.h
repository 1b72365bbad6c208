#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Runs `step` on the modal window once its modal loop shows it (made the active window first, so keys and
// focus go where a user's would). The step must close the window; one that leaves it open is reported
// through the returned flag, and the window is hidden for it so the test never blocks.
inline std::shared_ptr<bool> onModal(std::function<void(QWidget *)> step)
{
    auto leftOpen = std::make_shared<bool>(false);
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, step, leftOpen] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        QApplication::setActiveWindow(w);
        step(w);
        if (w->isVisible()) {
            *leftOpen = true;
            w->hide();
        }
    });
    timer->start();
    return leftOpen;
}
