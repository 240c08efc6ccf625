#pragma once
// The player's preferences key as text, for comparing what a run left with what it found: one
// "name|type|bytes in hex" line a value, in name order.

#include "platform/registry/Registry.h"

#include <QString>
#include <string>

std::string PreferencesSnapshot(CRegistry& registry);
// The same, read from a user's hive file.
std::string PreferencesSnapshotOf(const QString& hive);
