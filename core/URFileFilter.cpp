#include "core/URFileFilter.h"

#include <QRegularExpression>

QStringList QtFileFilters(const QString& descPatterns) {
    static const QRegularExpression trailingPatterns(R"(\s*\([^()]*\)\s*$)");
    const QStringList parts = descPatterns.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        filters.append(description.trimmed() + " (" + patterns.join(' ') + ")");
    }
    return filters;
}

QString QtFileFilter(const QString& descPatterns) {
    return QtFileFilters(descPatterns).join(";;");
}

int QtFileFilterIndex(const QString& descPatterns, const QString& selected) {
    return static_cast<int>(QtFileFilters(descPatterns).indexOf(selected)) + 1;
}
