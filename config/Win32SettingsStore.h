// The settings store on the platform's private-profile functions.
#pragma once
#include "config/SettingsStore.h"
#include <memory>

// The one store the application uses.
ISettingsStore& Settings();
// Another store of the same kind, for the contract tests.
std::unique_ptr<ISettingsStore> MakeWin32SettingsStore();

// The value of APPDATA, however long ("" when unset).
std::wstring AppDataFolder();
// Creates the settings folder when missing, so that a first run's choices persist.
void EnsureSettingsFolder(const std::wstring& appData);
