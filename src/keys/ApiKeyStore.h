#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>

// What the keyring said to one request.
struct KeyringAnswer {
    enum class State {
        done,            // read, written or removed
        notStored,       // a read: nothing is kept for the account
        noSecretService, // no Secret Service answers on the session bus (or there is no bus)
        failed           // the keyring answered with another failure: locked, refused, …
    };

    State state = State::failed;
    // A read that is done: the key. With no Secret Service: the fallback variable's (may be empty).
    QString key;
    // Failed: the keyring's own words, as they came (the key is never in them).
    QString problem;
};

// API keys kept with the desktop's Secret Service under the application's id, one per account id.
// Never in a file: QtKeychain's plain-text fallback stays off. Each call runs one QtKeychain job
// on the GUI thread.
class ApiKeyStore
{
public:
    ApiKeyStore() = delete;

    // The menu entry's id, which the keyring shows as whose the keys are.
    static constexpr const char *serviceName = "org.tidemarker.Tidemarker";

    // With no Secret Service the key of the environment variable instead, said once a run on
    // standard error.
    static QCoro::Task<KeyringAnswer> read(QString accountId, QByteArray fallbackVariable);
    static QCoro::Task<KeyringAnswer> write(QString accountId, QString key);
    // Done too when nothing was kept.
    static QCoro::Task<KeyringAnswer> remove(QString accountId);
};
