#include "platform/controls/OneLineText.h"

#include <QLineEdit>

#include <algorithm>

namespace platform {

namespace {

bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0085: case 0x2028: case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

QString lineBreaksAsSpaces(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isLineBreak(c)) {
            out += c;
            continue;
        }
        // CR LF is one line break.
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        out += QLatin1Char(' ');
    }
    return out;
}

void keepOnOneLine(QLineEdit *box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString &text) {
        if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
            return;
        // The cursor stays after the same text, which may now be shorter (CR LF became one space).
        const int cursor = int(lineBreaksAsSpaces(text.left(box->cursorPosition())).size());
        box->setText(lineBreaksAsSpaces(text));
        box->setCursorPosition(cursor);
    });
}

} // namespace platform
