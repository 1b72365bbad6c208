#include "platform/dialogs/Dialogs.h"

#include "platform/controls/OneLineText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {
DialogResponder g_responder;
QString g_defaultTitle;

QString titleOr(const QString &title)
{
    return title.isEmpty() ? g_defaultTitle : title;
}

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" -> "Text files (*.txt);;All files (*)"; a Qt filter passes.
QString qtFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' ')).replace(QStringLiteral("*.*"), QStringLiteral("*"));
        out << QStringLiteral("%1 (%2)").arg(parts[i].section(QLatin1Char('('), 0, 0).trimmed(), patterns);
    }
    return out.join(QStringLiteral(";;"));
}

DialogAnswer ask(const DialogRequest &request)
{
    return g_responder(request);
}
} // namespace

void setDialogResponder(DialogResponder responder)
{
    g_responder = std::move(responder);
}

bool hasDialogResponder()
{
    return bool(g_responder);
}

QString defaultTitle()
{
    return g_defaultTitle;
}

void setDefaultTitle(const QString &title)
{
    g_defaultTitle = title;
}

int titleBarWidth(const QString &title)
{
    // Window systems draw titles in a bold face of about the program's size; the title bar's icon and
    // three buttons take about eight times the font's height beside it.
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

int MsgBox(const QString &text, int style, const QString &title, QWidget *owner)
{
    DialogRequest req;
    req.kind = DialogKind::Message;
    req.text = text;
    req.title = titleOr(title);
    req.style = style;
    if (g_responder)
        return ask(req).button;

    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setWindowTitle(req.title);
    // Messages carry the user's own texts (names, notes, paths): shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct B { QMessageBox::StandardButton qt; int result; };
    QList<B> buttons;
    switch (style & 7) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore: buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}}; break;
    case vbYesNoCancel: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const B &b : buttons)
        all |= b.qt;
    box.setStandardButtons(all);
    // A short message would make the box narrower than its title: the window system would cut the title.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        grid->addItem(new QSpacerItem(titleBarWidth(req.title) - margins.left() - margins.right(), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int defaultIndex = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()).qt);
    if (style & vbMsgBoxSetForeground) {
        // A message with no window of its own program to sit on (a start that is refused) would otherwise
        // open wherever the window manager puts new windows, perhaps behind another program's window.
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const B &b : buttons)
        if (b.qt == clicked)
            return b.result;
    // Closed without a button (Esc): Cancel or No where the box has them, else the only button.
    for (const B &b : buttons)
        if (b.result == vbCancel)
            return vbCancel;
    return buttons.size() == 2 && buttons[1].result == vbNo ? vbNo : buttons.first().result;
}

QString InputBox(const QString &prompt, const QString &title, const QString &initial, bool *accepted, QWidget *owner)
{
    DialogRequest req;
    req.kind = DialogKind::Input;
    req.text = prompt;
    req.title = titleOr(title);
    req.initial = initial;
    if (g_responder) {
        const DialogAnswer a = ask(req);
        if (accepted)
            *accepted = a.accepted;
        return a.accepted ? a.text : QString();
    }
    QInputDialog dialog(owner ? owner : QApplication::activeWindow());
    dialog.setWindowTitle(req.title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (auto *box = dialog.findChild<QLineEdit *>())
        keepOnOneLine(box);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (accepted)
        *accepted = ok;
    return ok ? dialog.textValue() : QString();
}

QString browseForFolder(QWidget *owner, const QString &title)
{
    DialogRequest req;
    req.kind = DialogKind::Folder;
    req.title = title;
    QString path;
    if (g_responder) {
        const DialogAnswer a = ask(req);
        path = a.accepted ? a.text : QString();
    } else {
        path = QFileDialog::getExistingDirectory(owner, title, QDir::homePath(), QFileDialog::ShowDirsOnly);
    }
    path = QDir::cleanPath(path);
    if (path == QLatin1String("."))
        return QString();
    return path;
}

static QString fileDialog(DialogKind kind, QWidget *owner, const QString &title, const QString &filter,
                          const QString &initial)
{
    DialogRequest req;
    req.kind = kind;
    req.title = title;
    req.filter = filter;
    req.initial = initial;
    if (g_responder) {
        const DialogAnswer a = ask(req);
        return a.accepted ? a.text : QString();
    }
    if (kind == DialogKind::OpenFile)
        return QFileDialog::getOpenFileName(owner, title, initial, qtFilter(filter));
    return QFileDialog::getSaveFileName(owner, title, initial, qtFilter(filter));
}

QString getOpenFileName(QWidget *owner, const QString &title, const QString &filter, const QString &initial)
{
    return fileDialog(DialogKind::OpenFile, owner, title, filter, initial);
}

QString getSaveFileName(QWidget *owner, const QString &title, const QString &filter, const QString &initial)
{
    return fileDialog(DialogKind::SaveFile, owner, title, filter, initial);
}

} // namespace platform
