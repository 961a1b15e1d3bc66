#include "ApiKeyStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingReply>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QStringList>

#include <QCoroDBusPendingReply>
#include <QCoroSignal>

#include <qt6keychain/keychain.h>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Warnings are on: the one line a user without a Secret Service is to see.
Q_LOGGING_CATEGORY(lcKeys, "tidemarker.keys", QtWarningMsg)

const QString secretServiceName = u"org.freedesktop.secrets"_s;

// A job may still be handing out its signal when its waiter resumes.
struct LaterDeleter {
    void operator()(QObject *object) const { object->deleteLater(); }
};
template <typename Job>
using JobPointer = std::unique_ptr<Job, LaterDeleter>;

template <typename Job>
JobPointer<Job> newJob(const QString &accountId)
{
    JobPointer<Job> job(new Job(QString::fromLatin1(ApiKeyStore::serviceName)));
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    job->setKey(accountId);
    return job;
}

// Started from the event loop once the waiter listens: a job with no backend may finish inside start().
QCoro::Task<void> run(QKeychain::Job *job)
{
    QMetaObject::invokeMethod(job, &QKeychain::Job::start, Qt::QueuedConnection);
    co_await qCoro(job, &QKeychain::Job::finished);
}

// Whether the session bus has a Secret Service or could start one.
QCoro::Task<bool> secretServiceOnBus()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        co_return false;
    QDBusPendingReply<bool> owned = bus.interface()->asyncCall(u"NameHasOwner"_s, secretServiceName);
    co_await owned;
    if (owned.isValid() && owned.value())
        co_return true;
    QDBusPendingReply<QStringList> startable = bus.interface()->asyncCall(u"ListActivatableNames"_s);
    co_await startable;
    co_return startable.isValid() && startable.value().contains(secretServiceName);
}

// The backends word a missing service differently (no bus, no name, no wallet), so the bus is asked.
QCoro::Task<KeyringAnswer> answerOf(QKeychain::Error error, QString problem)
{
    if (error == QKeychain::NoError)
        co_return KeyringAnswer{KeyringAnswer::State::done, {}, {}};
    if (error == QKeychain::EntryNotFound)
        co_return KeyringAnswer{KeyringAnswer::State::notStored, {}, {}};
    const bool serviceThere = co_await secretServiceOnBus();
    if (!serviceThere)
        co_return KeyringAnswer{KeyringAnswer::State::noSecretService, {}, {}};
    co_return KeyringAnswer{KeyringAnswer::State::failed, {}, problem};
}

void sayNoSecretServiceOnce(const QByteArray &fallbackVariable)
{
    static bool said = false; // the GUI thread's only
    if (std::exchange(said, true))
        return;
    qCWarning(lcKeys).noquote() << u"no Secret Service answers on the session bus: API keys are read from $"_s
            + QString::fromLatin1(fallbackVariable) + u" instead"_s;
}

} // namespace

QCoro::Task<KeyringAnswer> ApiKeyStore::read(QString accountId, QByteArray fallbackVariable)
{
    const auto job = newJob<QKeychain::ReadPasswordJob>(accountId);
    co_await run(job.get());
    KeyringAnswer answer = co_await answerOf(job->error(), job->errorString());
    if (answer.state == KeyringAnswer::State::done)
        answer.key = job->textData();
    if (answer.state == KeyringAnswer::State::noSecretService) {
        sayNoSecretServiceOnce(fallbackVariable);
        answer.key = qEnvironmentVariable(fallbackVariable.constData()).trimmed();
    }
    co_return answer;
}

QCoro::Task<KeyringAnswer> ApiKeyStore::write(QString accountId, QString key)
{
    const auto job = newJob<QKeychain::WritePasswordJob>(accountId);
    job->setTextData(key);
    co_await run(job.get());
    KeyringAnswer answer = co_await answerOf(job->error(), job->errorString());
    co_return answer;
}

QCoro::Task<KeyringAnswer> ApiKeyStore::remove(QString accountId)
{
    const auto job = newJob<QKeychain::DeletePasswordJob>(accountId);
    co_await run(job.get());
    KeyringAnswer answer = co_await answerOf(job->error(), job->errorString());
    co_return answer;
}
