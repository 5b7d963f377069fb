#pragma once
// The per-user settings store: text values by application, section and key, kept in the registry under
// HKEY_CURRENT_USER\Software\<app>\<section> as REG_SZ values named after the keys.

#include <string>

namespace qs::rt {

// The stored text, or `defaultValue` when the key (or its section) is missing or holds no text.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue = "");

// Stores the text, creating the section when needed. Failure: Error 5.
void SaveSetting(const std::string& app, const std::string& section, const std::string& key, const std::string& value);

// Removes one key, a whole section (key empty) or the whole application (section empty too).
// Removing what is not there is no error.
void DeleteSetting(const std::string& app, const std::string& section = "", const std::string& key = "");

}  // namespace qs::rt
