#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <optional>

class QSystemTrayIcon;
class QWidget;

// The program's icon in the notification area: shows a tooltip and balloons and turns the icon's clicks
// into events.
class clsSysTray : public QObject
{
    Q_OBJECT
public:
    // Field sizes of the notification record: texts longer than these are cut (one byte for the end).
    static constexpr int TipBytes = 128;
    static constexpr int BalloonTextBytes = 256;
    static constexpr int BalloonTitleBytes = 64;

    // Whether the desktop has a notification area to put the icon in. Tests may decide it
    // (std::nullopt: the desktop is asked again).
    static bool isAvailable();
    static void setAvailable(std::optional<bool> available);

    explicit clsSysTray(QObject *parent = nullptr);
    ~clsSysTray() override;   // removes the icon

    void Init(QWidget *owner, const QString &tooltip);
    void SetIcon(QWidget *owner);
    // penIcon: 1 information, 2 warning, 3 error; timeout in milliseconds.
    void ShowBalloonTip(const QString &message, int penIcon = 1, const QString &title = QString(), int timeoutMs = 30000);
    QString TooltipText() const { return m_tooltip; }
    void setTooltipText(const QString &text);

    // Turns a notification code into its event (left/right click, double-click, balloon hidden, timed out,
    // clicked); other codes raise nothing.
    void MouseMove(int button, int x, QWidget *owner = nullptr);

    // The last balloon, as it was handed to the notification area (tests read it).
    QString lastBalloonText() const { return m_balloonText; }
    QString lastBalloonTitle() const { return m_balloonTitle; }
    int lastBalloonTimeout() const { return m_balloonTimeout; }

    // A text cut to fit a field of the given size with its terminating zero (counting bytes of the
    // local 8-bit encoding: one a character).
    static QString fitField(const QString &text, int bytes);

signals:
    void LeftClick();
    void RightClick();
    void DoubleClick();
    void BalloonHide();
    void BalloonTimeOut();
    void BalloonClicked();

private:
    QSystemTrayIcon *m_icon = nullptr;
    QString m_tooltip;
    QString m_balloonText;
    QString m_balloonTitle;
    int m_balloonTimeout = 0;
};
