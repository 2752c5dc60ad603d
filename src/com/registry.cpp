#include "com/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "com/odbc_ini.h"

namespace vellorax::com {
namespace {

constexpr std::string_view kOdbcIniKey = "SOFTWARE\\ODBC\\ODBC.INI";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string SystemError(std::string_view what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Closes a file descriptor on scope exit (which also drops a flock on it).
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view text, const std::string& path) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ERegistryError(SystemError("cannot write registry file", path));
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
}

// The data-source name when `key` is SOFTWARE\ODBC\ODBC.INI\<dsn>, or none.
std::optional<std::string> OdbcDataSource(TRegistryRoot root, std::string_view key) {
  if (root != TRegistryRoot::kLocalMachine) return std::nullopt;
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  if (key.size() <= kOdbcIniKey.size() + 1 || key[kOdbcIniKey.size()] != '\\' ||
      Lower(key.substr(0, kOdbcIniKey.size())) != Lower(kOdbcIniKey))
    return std::nullopt;
  const std::string_view dsn = key.substr(kOdbcIniKey.size() + 1);
  if (dsn.find('\\') != std::string_view::npos) return std::nullopt;
  return std::string(dsn);
}

bool IsOdbcIniKey(TRegistryRoot root, std::string_view key) {
  if (root != TRegistryRoot::kLocalMachine) return false;
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  const std::string lower = Lower(key);
  const std::string prefix = Lower(kOdbcIniKey);
  return lower.starts_with(prefix) && (lower.size() == prefix.size() || lower[prefix.size()] == '\\');
}

}  // namespace

TRegistryData TFileRegistry::Load() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec) && !ec) return {};
    throw ERegistryError("cannot read registry file " + path_);
  }
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return TRegistryData::Parse(text.str());
  } catch (const ERegistryError& e) {
    throw ERegistryError(path_ + ": " + e.what());
  }
}

std::optional<std::string> TFileRegistry::GetValue(TRegistryRoot root, std::string_view key,
                                                   std::string_view name) {
  return Load().GetValue(root, key, name);
}

void TFileRegistry::Update(const std::function<void(TRegistryData&)>& change) {
  const std::filesystem::path file(path_);
  if (file.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) throw ERegistryError("cannot create folder for registry file " + path_ + ": " + ec.message());
  }
  const std::string lock_path = path_ + ".lock";
  TFd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.get() < 0) throw ERegistryError(SystemError("cannot open lock file", lock_path));
  while (::flock(lock.get(), LOCK_EX) != 0)
    if (errno != EINTR) throw ERegistryError(SystemError("cannot lock", lock_path));

  TRegistryData data = Load();
  change(data);
  const std::string text = data.Serialize();

  std::string temp_path = path_ + ".XXXXXX";
  TFd temp(::mkstemp(temp_path.data()));
  if (temp.get() < 0) throw ERegistryError(SystemError("cannot create temporary file", temp_path));
  try {
    ::fchmod(temp.get(), 0644);
    WriteAll(temp.get(), text, temp_path);
    if (::fsync(temp.get()) != 0) throw ERegistryError(SystemError("cannot flush", temp_path));
    if (::rename(temp_path.c_str(), path_.c_str()) != 0)
      throw ERegistryError(SystemError("cannot replace registry file", path_));
  } catch (...) {
    ::unlink(temp_path.c_str());
    throw;
  }
}

std::optional<std::string> TSystemRegistry::GetValue(TRegistryRoot root, std::string_view key,
                                                     std::string_view name) {
  if (const auto dsn = OdbcDataSource(root, key)) return ReadOdbcIniValue(*dsn, name);
  if (IsOdbcIniKey(root, key)) return std::nullopt;
  return file_.GetValue(root, key, name);
}

void TSystemRegistry::Update(const std::function<void(TRegistryData&)>& change) {
  file_.Update([&](TRegistryData& data) {
    const bool had_key = data.KeyExists(TRegistryRoot::kLocalMachine, kOdbcIniKey);
    change(data);
    if (!had_key && data.KeyExists(TRegistryRoot::kLocalMachine, kOdbcIniKey))
      throw ERegistryError(
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI is read-only: data sources are kept in "
          "odbc.ini");
  });
}

std::string DefaultRegistryPath() {
  if (const char* env = std::getenv("VELLORAX_REGISTRY"); env != nullptr && *env != '\0') return env;
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    std::string home;
    if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
      home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
      home = pw->pw_dir;
    } else {
      throw ERegistryError("cannot find the registry file: HOME is not set");
    }
    config = home + "/.config";
  }
  return config + "/vellorax/registry";
}

std::unique_ptr<TRegistry> OpenRegistry() {
  return std::make_unique<TSystemRegistry>(DefaultRegistryPath());
}

}  // namespace vellorax::com
