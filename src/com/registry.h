// The registry stand-in: a seam with one real implementation over one text
// file (format in registry_data.h) plus the ODBC bridge.
//
// The file is $VELLORAX_REGISTRY, else ${XDG_CONFIG_HOME:-$HOME/.config}/
// vellorax/registry, read afresh by every call. Writers serialise on a lock
// file beside it and replace it by renaming a completed temporary file, so
// two processes may write at once and readers always see a whole file.
//
// HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI\<dsn> is not in the file: its
// values come from unixODBC's odbc.ini (user file, then system file), where
// Linux keeps ODBC data sources; that key is read-only here.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "com/registry_data.h"

namespace vellorax::com {

class TRegistry {
 public:
  virtual ~TRegistry() = default;
  // The value, or none when the key or the value does not exist. Throws
  // ERegistryError when the store cannot be read.
  virtual std::optional<std::string> GetValue(TRegistryRoot root, std::string_view key,
                                              std::string_view name) = 0;
  // Applies `change` to the stored data as one atomic step. Throws
  // ERegistryError when the store cannot be written; nothing is then changed.
  virtual void Update(const std::function<void(TRegistryData&)>& change) = 0;
};

class TFileRegistry : public TRegistry {
 public:
  explicit TFileRegistry(std::string path) : path_(std::move(path)) {}
  std::optional<std::string> GetValue(TRegistryRoot root, std::string_view key,
                                      std::string_view name) override;
  void Update(const std::function<void(TRegistryData&)>& change) override;
  // The whole stored tree (empty when the file does not exist).
  TRegistryData Load() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The file registry with the ODBC data-source key served from odbc.ini.
class TSystemRegistry : public TRegistry {
 public:
  explicit TSystemRegistry(std::string path) : file_(std::move(path)) {}
  std::optional<std::string> GetValue(TRegistryRoot root, std::string_view key,
                                      std::string_view name) override;
  // Throws ERegistryError when `change` writes below the ODBC data-source key.
  void Update(const std::function<void(TRegistryData&)>& change) override;

 private:
  TFileRegistry file_;
};

// The registry file's path as described above.
std::string DefaultRegistryPath();

// The system registry at DefaultRegistryPath().
std::unique_ptr<TRegistry> OpenRegistry();

}  // namespace vellorax::com
