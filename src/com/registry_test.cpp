#include "com/registry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vellorax::com {
namespace {

constexpr auto kCR = TRegistryRoot::kClassesRoot;
constexpr auto kLM = TRegistryRoot::kLocalMachine;

// A fresh folder per test, removed afterwards.
class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx_registry_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return dir_ + "/" + name; }

  std::string dir_;
};

// A failed change leaves the file as it was.
TEST_F(RegistryFileTest, UpdatesPersistAndCreateMissingFolders) {
  TFileRegistry registry(Path("a/b/registry"));
  EXPECT_FALSE(registry.GetValue(kCR, "VelloraX.VLL2\\Clsid", "").has_value());  // no file yet
  registry.Update([](TRegistryData& d) { d.SetValue(kCR, "VelloraX.VLL2\\Clsid", "", "{X}"); });
  registry.Update([](TRegistryData& d) { d.SetValue(kCR, "VelloraX.Crypt\\Clsid", "", "{Y}"); });
  auto failing = [](TRegistryData& d) { d.SetValue(kCR, "Lost", "", "2"); throw ERegistryError("stop"); };
  EXPECT_THROW(registry.Update(failing), ERegistryError);
  TFileRegistry again(Path("a/b/registry"));
  EXPECT_EQ(again.GetValue(kCR, "VelloraX.VLL2\\Clsid", ""), "{X}");
  EXPECT_EQ(again.GetValue(kCR, "VelloraX.Crypt\\Clsid", ""), "{Y}");
  EXPECT_FALSE(again.GetValue(kCR, "Lost", "").has_value());
  // Only the registry and its lock file remain: no temporary files.
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ + "/a/b")) files.insert(entry.path().filename());
  EXPECT_EQ(files, (std::set<std::string>{"registry", "registry.lock"}));
}

TEST_F(RegistryFileTest, CorruptFileIsReportedWithItsPath) {
  std::ofstream(Path("registry")) << "[HKCR\\K]\ngarbage\n";
  TFileRegistry registry(Path("registry"));
  EXPECT_THAT([&] { registry.GetValue(kCR, "K", ""); },
              testing::ThrowsMessage<ERegistryError>(testing::HasSubstr(Path("registry") + ": registry line 2")));
}

// Several processes writing at once must not lose each other's values.
TEST_F(RegistryFileTest, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 4, kWrites = 25;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TFileRegistry registry(Path("registry"));
      for (int i = 0; i < kWrites; ++i)
        registry.Update([&](TRegistryData& d) { d.SetValue(kLM, "SOFTWARE\\W" + std::to_string(w), "v" + std::to_string(i), "x"); });
      ::_exit(0);
    }
    children.push_back(pid);
  }
  int status = 0;
  for (pid_t pid : children) EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const TRegistryData data = TFileRegistry(Path("registry")).Load();
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_TRUE(data.GetValue(kLM, "SOFTWARE\\W" + std::to_string(w), "v" + std::to_string(i))) << w << "/" << i;
}

// Data sources are read from unixODBC's odbc.ini, not from the file.
TEST_F(RegistryFileTest, OdbcDataSourcesComeFromOdbcIni) {
  std::ofstream(Path("odbc.ini")) << "[catalogue]\nDriver = SQLite3\nUID = librarian\nPWD = s3cret\n"
                                     "[other]\nUID = someone\n";
  ::setenv("ODBCINI", Path("odbc.ini").c_str(), 1);
  ::setenv("ODBCSYSINI", dir_.c_str(), 1);
  TSystemRegistry registry(Path("registry"));
  EXPECT_EQ(registry.GetValue(kLM, "SOFTWARE\\ODBC\\ODBC.INI\\catalogue", "UID"), "librarian");
  EXPECT_EQ(registry.GetValue(kLM, "software\\odbc\\odbc.ini\\catalogue", "PWD"), "s3cret");
  // Missing value, missing source, the folder itself, and the same path under the classes root.
  const std::tuple<TRegistryRoot, const char*, const char*> absent[] = {
      {kLM, "SOFTWARE\\ODBC\\ODBC.INI\\catalogue", "Missing"}, {kLM, "SOFTWARE\\ODBC\\ODBC.INI\\nosuch", "UID"},
      {kLM, "SOFTWARE\\ODBC\\ODBC.INI", "UID"}, {kCR, "SOFTWARE\\ODBC\\ODBC.INI\\catalogue", "UID"}};
  for (const auto& [root, key, name] : absent) EXPECT_FALSE(registry.GetValue(root, key, name).has_value()) << key;
  auto intrude = [](TRegistryData& d) { d.SetValue(kLM, "SOFTWARE\\ODBC\\ODBC.INI\\catalogue", "UID", "x"); };
  EXPECT_THROW(registry.Update(intrude), ERegistryError);
  EXPECT_EQ(registry.GetValue(kLM, "SOFTWARE\\ODBC\\ODBC.INI\\catalogue", "UID"), "librarian");
  ::unsetenv("ODBCINI");
  ::unsetenv("ODBCSYSINI");
}

TEST(RegistryPathTest, EnvironmentChoosesTheFile) {
  const char* saved_home = std::getenv("HOME");
  const std::string home = saved_home != nullptr ? saved_home : "";
  ::setenv("VELLORAX_REGISTRY", "/tmp/explicit", 1);
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(DefaultRegistryPath(), "/tmp/explicit");
  ::unsetenv("VELLORAX_REGISTRY");
  EXPECT_EQ(DefaultRegistryPath(), "/tmp/xdg/vellorax/registry");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored: must be absolute
  ::setenv("HOME", "/home/reader", 1);
  EXPECT_EQ(DefaultRegistryPath(), "/home/reader/.config/vellorax/registry");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultRegistryPath(), "/home/reader/.config/vellorax/registry");
  ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace vellorax::com
