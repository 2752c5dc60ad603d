// The registry's contents in memory and their text form.
//
// Keys live below two roots, HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE, with
// paths of backslash-separated names; names of keys and values compare
// without regard to ASCII letter case and keep the spelling they were created
// with. Each key holds named string values; the name "" is the key's default
// value. Creating a key creates its parents.
//
// Text form (one file, UTF-8 or any 8-bit text):
//
//   ; comment lines start with ";" or "#"; blank lines are ignored
//   [HKEY_CLASSES_ROOT\CLSID\{2F245D93-3E3B-4BBD-BE18-B76053D931E4}]
//   @="VLL (Vellora Macro Language) object "
//   "ThreadingModel"="Apartment"
//
// A "[root\path]" line starts a key; the value lines below it belong to it.
// "@" names the default value. Inside quotes, \\, \", \n, \r, \t and \xHH
// (two hex digits) stand for a backslash, a quote, line feed, carriage
// return, tab and any byte. Keys appear in sorted order, each once.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellorax::com {

enum class TRegistryRoot { kClassesRoot, kLocalMachine };

// "HKEY_CLASSES_ROOT" / "HKCR", "HKEY_LOCAL_MACHINE" / "HKLM" (any case).
std::optional<TRegistryRoot> ParseRegistryRoot(std::string_view name);
std::string_view RegistryRootName(TRegistryRoot root);

// A malformed registry file, an invalid key name or a failed file operation.
class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistryData {
 public:
  // Creates the key (and its parents) when missing and sets the value.
  // Throws ERegistryError for an empty key path, an empty name inside the
  // path or a control character in a key name.
  void SetValue(TRegistryRoot root, std::string_view key, std::string_view name,
                std::string_view value);
  void CreateKey(TRegistryRoot root, std::string_view key);
  std::optional<std::string> GetValue(TRegistryRoot root, std::string_view key,
                                      std::string_view name) const;
  bool KeyExists(TRegistryRoot root, std::string_view key) const;
  bool HasSubkeys(TRegistryRoot root, std::string_view key) const;
  // Deletes the key with all its subkeys and values; false when it was absent.
  bool DeleteKey(TRegistryRoot root, std::string_view key);
  bool empty() const { return keys_.empty(); }

  std::string Serialize() const;
  // Throws ERegistryError naming the 1-based line of the first fault.
  static TRegistryData Parse(std::string_view text);

 private:
  struct TValue {
    std::string name;
    std::string value;
  };
  struct TKey {
    std::string path;                      // root name + "\" + key, as created
    std::map<std::string, TValue> values;  // by lower-cased name
  };
  TKey& Ensure(const std::string& full_path);
  // The full path "ROOT\a\b" with the key part checked and trimmed of
  // backslashes at both ends.
  static std::string FullPath(TRegistryRoot root, std::string_view key);

  std::map<std::string, TKey> keys_;  // by lower-cased full path
};

}  // namespace vellorax::com
