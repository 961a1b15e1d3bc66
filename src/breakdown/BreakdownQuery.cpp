#include "BreakdownQuery.h"

#include "HistoryConnection.h"
#include "KeptLogs.h"
#include "OutsideText.h"
#include "TokenWeights.h"
#include "WindowRows.h"

#include <QJsonArray>
#include <QMap>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

struct ModelUse {
    QString model;
    TokenCounts counts;
    double weighted = 0;

    void add(const ModelUse &other)
    {
        counts += other.counts;
        weighted += other.weighted;
    }
};

struct ProjectUse {
    QString project;
    double weighted = 0;
    QList<ModelUse> models;
    bool others = false; // the projects past the largest, added up

    // Its models are merged by name afterwards, once for all.
    void add(const ProjectUse &other)
    {
        weighted += other.weighted;
        models += other.models;
    }
};

double share(double part, double whole)
{
    return whole > 0 ? std::round(part / whole * 1000) / 10 : 0;
}

// A share in percentage points of the window's limit: null where its used share is not known.
QJsonValue points(double part, double whole, std::optional<double> usedPercent)
{
    if (!usedPercent)
        return QJsonValue();
    return whole > 0 ? std::round(part / whole * *usedPercent * 10) / 10 : 0;
}

QString modelName(const QString &model)
{
    const QString name = OutsideText::name(model);
    return name.isEmpty() ? u"unknown"_s : name;
}

template <typename T>
void largestFirst(QList<T> &list)
{
    std::ranges::stable_sort(list, [](const T &a, const T &b) { return a.weighted > b.weighted; });
}

// Keeps the largest few of a list sorted largest first; the rest add up to one entry after them.
template <typename T>
void foldRest(QList<T> &list, qsizetype kept, T rest)
{
    if (list.size() <= kept)
        return;
    for (const T &entry : list.sliced(kept))
        rest.add(entry);
    list.resize(kept);
    list.append(rest);
}

void boundModels(ProjectUse &project)
{
    QMap<QString, ModelUse> byName;
    for (const ModelUse &use : std::as_const(project.models)) {
        ModelUse &merged = byName[use.model];
        merged.model = use.model;
        merged.add(use);
    }
    project.models = byName.values();
    largestFirst(project.models);
    foldRest(project.models, BreakdownQuery::maxModels, ModelUse{BreakdownQuery::otherModels, {}, 0});
}

// However many projects the logs name, the answer stays far below what the bus carries.
void boundProjects(QList<ProjectUse> &projects)
{
    const qsizetype more = projects.size() - BreakdownQuery::maxProjects;
    foldRest(projects, BreakdownQuery::maxProjects, ProjectUse{QString::number(more) + u" more projects"_s, 0, {}, true});
    for (ProjectUse &project : projects)
        boundModels(project);
}

// A window's minutes [start, end), the whole hours among them [hoursFrom, hoursTo) read from the
// sums by the hour: a long window reads some sixty times fewer rows.
struct Spans {
    qint64 start;
    qint64 hoursFrom;
    qint64 hoursTo;
    qint64 end;

    explicit Spans(const BreakdownWindow &window)
        : start(BreakdownQuery::minuteOf(window.start.toSecsSinceEpoch()))
        , hoursFrom(BreakdownQuery::hourOf(start + BreakdownQuery::hourSeconds - 1))
        , end(BreakdownQuery::minuteOf(window.end.toSecsSinceEpoch() - 1) + BreakdownQuery::minuteSeconds)
    {
        hoursTo = std::max(hoursFrom, BreakdownQuery::hourOf(end));
    }
};

std::variant<QList<ProjectUse>, QSqlError> projectsOf(QSqlDatabase &database, const BreakdownWindow &window,
                                                     const WindowRows &rows)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const QString counts = u"SELECT project, model, input, output, cache_write, cache_read, weighted FROM "_s;
    // The accounts' files, found once; one last written before the window began logs none of its requests.
    query.prepare(u"WITH files AS MATERIALIZED (SELECT id FROM breakdown_files WHERE ("_s + rows.filesCondition()
                  + u") AND modified_ms >= ?) "
                    "SELECT project, model, sum(input), sum(output), sum(cache_write), sum(cache_read), total(weighted) "
                    "FROM ("_s + counts + u"breakdown_minutes WHERE file IN files AND minute >= ? AND minute < ? UNION ALL "_s
                  + counts + u"breakdown_by_hour WHERE file IN files AND hour >= ? AND hour < ? UNION ALL "_s
                  + counts + u"breakdown_minutes WHERE file IN files AND minute >= ? AND minute < ?"_s
                  + u") WHERE "_s + rows.modelCondition()
                  // Rows of a model that counted nothing (a refusal's zero usage) are not listed.
                  + u" GROUP BY project, model "
                    "HAVING max(input) > 0 OR max(output) > 0 OR max(cache_write) > 0 OR max(cache_read) > 0"_s);
    const Spans spans(window);
    rows.bindFiles(query);
    query.addBindValue(spans.start * 1000);
    for (const auto &[from, to] : {std::pair(spans.start, std::min(spans.hoursFrom, spans.end)),
                                   std::pair(spans.hoursFrom, spans.hoursTo), std::pair(spans.hoursTo, spans.end)}) {
        query.addBindValue(from);
        query.addBindValue(to);
    }
    rows.bindModels(query);
    if (!query.exec())
        return query.lastError();
    QMap<QString, ProjectUse> byProject;
    while (query.next()) {
        ProjectUse &project = byProject[query.value(0).toString()];
        project.project = query.value(0).toString();
        const ModelUse use{query.value(1).toString(),
                           {query.value(2).toLongLong(), query.value(3).toLongLong(), query.value(4).toLongLong(),
                            query.value(5).toLongLong()},
                           query.value(6).toDouble()};
        project.weighted += use.weighted;
        project.models.append(use);
    }
    QList<ProjectUse> projects = byProject.values();
    largestFirst(projects);
    boundProjects(projects);
    return projects;
}

QJsonObject windowJson(const BreakdownWindow &window, const QList<ProjectUse> &projects)
{
    double total = 0;
    for (const ProjectUse &project : projects)
        total += project.weighted;
    const std::optional<double> used = window.usedPercent;
    QJsonArray projectsJson;
    for (const ProjectUse &project : projects) {
        QJsonArray models;
        for (const ModelUse &use : project.models)
            models.append(QJsonObject{{u"model"_s, modelName(use.model)},
                                      {u"share"_s, share(use.weighted, total)},
                                      {u"points"_s, points(use.weighted, total, used)},
                                      {u"weighted"_s, std::llround(use.weighted)},
                                      {u"input"_s, use.counts.input},
                                      {u"output"_s, use.counts.output},
                                      {u"cacheWrite"_s, use.counts.cacheWrite},
                                      {u"cacheRead"_s, use.counts.cacheRead}});
        projectsJson.append(QJsonObject{{u"project"_s, OutsideText::cut(project.project, BreakdownQuery::maxFolderLength)},
                                        {u"name"_s, project.others ? u"others"_s : BreakdownQuery::projectName(project.project)},
                                        {u"share"_s, share(project.weighted, total)},
                                        {u"points"_s, points(project.weighted, total, used)},
                                        {u"weighted"_s, std::llround(project.weighted)},
                                        {u"models"_s, models}});
    }
    return {{u"id"_s, window.id},
            {u"label"_s, window.label},
            {u"start"_s, window.start.toUTC().toString(Qt::ISODate)},
            {u"end"_s, window.end.toUTC().toString(Qt::ISODate)},
            {u"usedPercent"_s, used ? QJsonValue(*used) : QJsonValue()},
            {u"weighted"_s, std::llround(total)},
            {u"projects"_s, projectsJson}};
}

} // namespace

QList<BreakdownWindow> BreakdownWindow::ofStatus(const UsageStatus &status)
{
    QList<BreakdownWindow> windows;
    for (const ProviderResult &result : status.results) {
        for (const UsageWindow &window : result.windows) {
            if (window.resetAt.isValid() && WindowRows::logged(window.provider))
                windows.append({window.provider, result.account, window.id(), window.displayLabel(Wording::english),
                                window.resetAt.addSecs(-qint64(window.limitWindowSeconds)), window.resetAt,
                                window.usedPercent});
        }
    }
    return windows;
}

QString BreakdownQuery::projectName(const QString &project)
{
    const QString name = OutsideText::name(project.section(u'/', -1, -1, QString::SectionSkipEmpty));
    return name.isEmpty() ? u"unknown"_s : name;
}

std::variant<QJsonObject, QString> BreakdownQuery::read(const QString &databasePath, const QList<BreakdownWindow> &windows,
                                                        const QList<LogFolder> &folders, const QDateTime &now)
{
    HistoryConnection connection(databasePath, HistoryConnection::Mode::readOnly);
    if (connection.error())
        return *connection.error();
    using Named = std::pair<Provider, QString>; // a provider and its account's label
    struct Windows {
        Named named;
        QString folder; // the account's
        QJsonArray windows;
    };
    QList<Windows> byAccount; // in the windows' order
    for (const BreakdownWindow &window : windows) {
        const auto projects = projectsOf(connection.database(), window, WindowRows(window, folders));
        if (const auto *error = std::get_if<QSqlError>(&projects))
            return connection.describe(*error);
        const Named account{window.provider, window.account.label};
        if (byAccount.isEmpty() || byAccount.last().named != account)
            byAccount.append({account, window.account.folder, {}});
        byAccount.last().windows.append(windowJson(window, std::get<QList<ProjectUse>>(projects)));
    }
    QJsonArray providers;
    for (const auto &[account, folder, windowsJson] : std::as_const(byAccount))
        providers.append(QJsonObject{{u"provider"_s, rawValue(account.first)},
                                     {u"account"_s, account.second.isEmpty() ? QJsonValue() : account.second},
                                     {u"keepsNoLogs"_s, KeptLogs::keepsNone(account.first, folder)},
                                     {u"windows"_s, windowsJson}});
    return QJsonObject{{u"generatedAt"_s, now.toUTC().toString(Qt::ISODateWithMs)},
                       {u"reading"_s, QJsonValue()},
                       {u"providers"_s, providers}};
}

QJsonObject BreakdownQuery::whileReading(int percent, const QDateTime &now)
{
    return {{u"generatedAt"_s, now.toUTC().toString(Qt::ISODateWithMs)}, {u"reading"_s, percent}, {u"providers"_s, QJsonArray()}};
}
