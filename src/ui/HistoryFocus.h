#pragma once

#include "UsageModels.h"

#include <QString>

// The part of the record the History window is opened on: a window of one account, or the
// account as a whole; named as the menu and the alerts name it.
struct HistoryFocus {
    Provider provider = Provider::codex;
    QString account;  // as the record knows it: Account::key()
    QString windowId; // empty: every window of the account
    QString name;     // "Codex Weekly", "Claude · work"

    bool operator==(const HistoryFocus &) const = default;
};
