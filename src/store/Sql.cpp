#include "Sql.h"

#include "Table.h"

namespace ledra {

QString quoteIdentifier(const QString &name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quotedName(const Table &table) {
    return quoteIdentifier(table.innerName().isEmpty() ? table.schema().name : table.innerName());
}

std::optional<QVariant> queryValue(SqlConnection connection, const QString &sql,
                                   const QVariantList &params) {
    SqlStatement st(std::move(connection), sql);
    st.bindAll(params);
    if (!st.next())
        return std::nullopt;
    return st.row().value(0);
}

qint64 scalar(SqlConnection connection, const QString &sql, const QVariantList &params,
              qint64 fallback) {
    SqlStatement st(std::move(connection), sql);
    st.bindAll(params);
    if (!st.next() || st.row().isNull(0))
        return fallback;
    return st.row().int64(0);
}

bool hasRow(SqlConnection connection, const QString &sql, const QVariantList &params) {
    SqlStatement st(std::move(connection), sql);
    st.bindAll(params);
    return st.next();
}

int execute(SqlConnection connection, const QString &sql, const QVariantList &params) {
    SqlStatement st(std::move(connection), sql);
    st.bindAll(params);
    return st.exec();
}

} // namespace ledra
