#include "store/records/RecordFormat.h"

#include <QFileInfo>
#include <QStringList>

namespace RecordFormat {

namespace {

struct Named
{
    const char* name;
    Format format;
};

// In the order the messages list them.
QList<Named> namesOf(Use use)
{
    switch (use) {
    case Use::Listing:
        return {{"table", Format::Table},
                {"tsv", Format::Tsv},
                {"csv", Format::Csv},
                {"json", Format::Json}};
    case Use::Export:
        return {{"csv", Format::Csv}, {"json", Format::Json}, {"tsv", Format::Tsv}};
    case Use::Import:
        break;
    }
    return {{"csv", Format::Csv},
            {"json", Format::Json},
            {"tsv", Format::Tsv},
            {"keyfinder", Format::KeyFinder}};
}

} // namespace

std::optional<Format> fromName(const QString& name, Use use)
{
    for (const Named& each : namesOf(use)) {
        if (name == QLatin1String(each.name))
            return each.format;
    }
    return std::nullopt;
}

QString names(Use use)
{
    QStringList all;
    for (const Named& each : namesOf(use))
        all.append(QLatin1String(each.name));
    return all.join(QStringLiteral(", "));
}

Format forFile(const QString& path)
{
    return fromName(QFileInfo(path).suffix().toLower(), Use::Export).value_or(Format::Csv);
}

} // namespace RecordFormat
