#pragma once

#include "Account.h"
#include "UsageRequest.h"

#include <QString>

#include <chrono>
#include <optional>
#include <variant>

// The GitHub sign-in the GitHub CLI keeps, found where gh itself would look.
namespace GitHubToken {

// How long `gh auth token` may take (it may ask the desktop's keyring).
inline constexpr std::chrono::milliseconds ghTimeout = std::chrono::seconds(10);
// More than any token: what gh prints beyond this is not read.
inline constexpr qsizetype maxGhOutputBytes = 4096;

// $GH_CONFIG_DIR, else $XDG_CONFIG_HOME/gh, else ~/.config/gh.
QString defaultFolder();

// The first found of $GH_TOKEN and $GITHUB_TOKEN (the first account's only), `gh auth token`
// with the account's folder as gh's configuration, and the folder's hosts.yml. None when there
// is none; an error when hosts.yml is there but cannot be read. Blocks: keep off the GUI thread.
std::variant<std::optional<QString>, PlainError> find(const Account &account);

// What `gh auth token` prints for github.com; none when gh is missing, fails or outlasts ghTimeout.
std::optional<QString> fromGh(const QString &folder);

// github.com's oauth_token in hosts.yml, else that of its active user, read line by line.
std::optional<QString> fromHostsText(const QString &text);

} // namespace GitHubToken
