#include "store/SearchIndex.h"

#include "store/SqlCatalogue.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Keys per slice of the fill: small enough for the progress to move several times a second.
constexpr qint64 SliceKeys = 20000;

bool exec(QSqlQuery& query, const QString& sql, QString* error)
{
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

} // namespace

namespace SearchIndex {

bool exists(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(SqlCatalogue::SearchIndexExists) && query.next() &&
           query.value(0).toLongLong() > 0;
}

QString candidateQuery(const QString& keyword, const QString& column)
{
    QStringList phrases;
    QString run;
    const auto endRun = [&] {
        if (run.toUcs4().size() >= 3) {
            run.replace(QLatin1Char('"'), QLatin1String("\"\""));
            phrases << QLatin1Char('"') + run + QLatin1Char('"');
        }
        run.clear();
    };
    for (const QChar c : keyword) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_'))
            endRun();
        else
            run += c;
    }
    endRun();
    if (phrases.isEmpty())
        return QString();
    const QString all = phrases.join(QStringLiteral(" AND "));
    return column.isEmpty() ? all : QStringLiteral("{%1} : (%2)").arg(column, all);
}

bool ensure(const QSqlDatabase& db, const BuildProgress& progress, BuildOutcome* outcome,
            QString* error)
{
    *outcome = BuildOutcome::AlreadyThere;
    if (exists(db))
        return true;

    QSqlQuery query(db);
    if (!exec(query, SqlCatalogue::BeginBuild, error))
        return false;
    bool ok = exec(query, SqlCatalogue::CreateSearchIndex, error);
    for (const QString& trigger : SqlCatalogue::SearchIndexTriggers)
        ok = ok && exec(query, trigger, error);

    qint64 first = 0;
    qint64 last = -1;
    if (ok && (ok = exec(query, SqlCatalogue::SerialIdRange, error)) && query.next() &&
        !query.value(0).isNull()) {
        first = query.value(0).toLongLong();
        last = query.value(1).toLongLong();
    }
    query.finish();
    bool cancelled = false;
    if (ok && !query.prepare(SqlCatalogue::FillSearchIndex)) {
        ok = false;
        if (error)
            *error = query.lastError().text();
    }
    const qint64 total = last - first + 1;
    for (qint64 from = first; ok && !cancelled && from <= last; from += SliceKeys) {
        if (progress && !progress(from - first, total)) {
            cancelled = true;
            break;
        }
        query.addBindValue(from);
        query.addBindValue(std::min(from + SliceKeys, last + 1));
        if (!query.exec()) {
            ok = false;
            if (error)
                *error = query.lastError().text();
        }
    }
    if (ok && !cancelled && progress && !progress(total, total))
        cancelled = true;
    query.finish();

    if (ok && !cancelled && exec(query, SqlCatalogue::CommitBuild, error)) {
        *outcome = BuildOutcome::Built;
        return true;
    }
    QSqlQuery(db).exec(SqlCatalogue::RollbackBuild);
    if (cancelled) {
        *outcome = BuildOutcome::Cancelled;
        return true;
    }
    return false;
}

} // namespace SearchIndex
