#pragma once
// The command line's two channels: results on standard output, messages on standard error,
// one UTF-8 line each.

#include <QString>
#include <cstdio>

namespace ledra {

inline void out(const QString &line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}

inline void err(const QString &line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

} // namespace ledra
