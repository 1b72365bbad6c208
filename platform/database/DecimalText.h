#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace platform {

// Reads a decimal number written in SQL text ("33.33", "-0.1", "1E+3", ".5") exactly, without going
// through a double, and gives it times 10^scale as a whole number. Digits beyond the scale round half to
// even (as a conversion to Currency does). No value when the text is not a number or the result does not
// fit in 64 bits.
std::optional<qint64> parseScaledDecimal(QStringView text, int scale);

} // namespace platform
