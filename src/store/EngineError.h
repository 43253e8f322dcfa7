#pragma once
// Errors of the table store. The rules test two of the codes by number, so they keep the
// numbers of the engine the data folders were designed for.

#include <QString>
#include <stdexcept>
namespace ledra {

namespace DbErr {
constexpr int TableMissing = 10024;  // the table file does not exist
constexpr int KeyViolation = 9729;   // a unique key already holds the value
constexpr int Structure = 10001;     // the file's fields differ from the table's definition
constexpr int Damaged = 10002;       // not a table file, truncated, foreign or failing its check
constexpr int NewerFormat = 10003;   // written by a newer program version
constexpr int ReadOnly = 10004;      // file or folder cannot be written
constexpr int RequiredField = 10005; // a required field is empty
constexpr int General = 10000;
} // namespace DbErr

class EngineError : public std::runtime_error {
public:
    EngineError(int code, const QString &message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}
    int code() const { return m_code; }
    const QString &message() const { return m_message; }

private:
    int m_code;
    QString m_message;
};

} // namespace ledra
