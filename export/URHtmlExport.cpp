#include "export/URHtmlExport.h"

#include "core/UROrderedJson.h"
#include "core/URUtils.h"
#include "objects/URHTMLInteractivity.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace {

constexpr std::int32_t AtEndGoToAddress = 3;

QByteArray number(std::int64_t value) {
    return QByteArray::number(qint64(value));
}

} // namespace

QString HtmlSafeAddress(const QString& address) {
    static const QRegularExpression web(QStringLiteral("^https?://"),
                                        QRegularExpression::CaseInsensitiveOption);
    return web.match(address).hasMatch() ? address : QString();
}

QByteArray HtmlExportSetup(const TRProjectExportOptions& options, const QByteArray& interactivity) {
    QByteArray setup = "{\"controls\":";
    setup += options.Html_Controls ? "true" : "false";
    setup += ", \"atstart\":{\"action\": " + number(options.Html_AtStart_Action) + "}";
    setup += ", \"atend\":{\"action\": " + number(options.Html_AtEnd_Action);
    if (options.Html_AtEnd_Action == AtEndGoToAddress)
        setup += ", \"url\":" + JsonString(HtmlSafeAddress(options.Html_AtEnd_URL));
    setup += "}";
    if (!interactivity.isEmpty())
        setup += ", " + interactivity;
    return setup + "}";
}

QString FillHtmlTemplate(const QString& page, int width, int height, const QString& videoFile,
                         const QByteArray& setup) {
    static const QRegularExpression placeholder(
        QStringLiteral("QM_VIDEO_(WIDTH|HEIGHT|SOURCE|DATA-SETUP)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString values[] = {QString::number(width), QString::number(height),
                              QString::fromLatin1(QUrl::toPercentEncoding(videoFile)),
                              QString::fromUtf8(setup)};
    QString filled;
    qsizetype done = 0;
    for (auto it = placeholder.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString which = match.captured(1).toUpper();
        const int index = which == u"WIDTH"    ? 0
                          : which == u"HEIGHT" ? 1
                          : which == u"SOURCE" ? 2
                                               : 3;
        filled += QStringView(page).mid(done, match.capturedStart() - done);
        filled += values[index];
        done = match.capturedEnd();
    }
    filled += QStringView(page).mid(done);
    return filled;
}

QString HtmlTemplateFile() {
    return TemplatesFolder + QStringLiteral("html.html");
}

bool WriteHtmlExport(TRProject& project, int width, int height, std::int32_t timeStart,
                     std::int32_t timeEnd, const platform::render::Matrix3x2& transform,
                     const QString& name, QString* failure) {
    const auto fail = [failure](const QString& text) {
        if (failure)
            *failure = text;
        return false;
    };
    QFile source(HtmlTemplateFile());
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("The page template cannot be read:\r") + source.fileName());
    const QString page = QString::fromUtf8(source.readAll());
    if (source.error() != QFileDevice::NoError)
        return fail(QStringLiteral("The page template cannot be read:\r") + source.fileName());
    const QByteArray setup = HtmlExportSetup(
        project.ExportOptions(), GetHTMLDataInteractivity(project, timeStart, timeEnd, transform));
    const QString filled =
        FillHtmlTemplate(page, width, height, name + QStringLiteral(".mp4"), setup);
    QSaveFile out(project.TempFolder + name + QStringLiteral(".html"));
    if (!out.open(QIODevice::WriteOnly) || out.write(filled.toUtf8()) < 0 || !out.commit())
        return fail(QStringLiteral("The page cannot be written:\r") + out.fileName());
    return true;
}
