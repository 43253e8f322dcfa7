#pragma once
// Readable QStrings in failure messages. Include before any GoogleTest header: the printer
// is chosen where the test macros are expanded.

#include <QString>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}
