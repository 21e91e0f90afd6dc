#pragma once
// File-type lists written as "description|patterns|description|patterns" (patterns separated
// by ';') converted to the filter strings of Qt's file dialogs.

#include <QString>
#include <QStringList>

// One Qt filter per pair, "description (pattern pattern)"; a description that already ends in
// its patterns in brackets keeps only the new ones. An odd last description is dropped.
QStringList QtFileFilters(const QString& descPatterns);
// The filters joined for QFileDialog (";;").
QString QtFileFilter(const QString& descPatterns);
// The 1-based index of `selected` among the filters, 0 when it is not one of them.
int QtFileFilterIndex(const QString& descPatterns, const QString& selected);
