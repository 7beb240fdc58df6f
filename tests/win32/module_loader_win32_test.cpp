#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/module_loader.h"
#include "platform/win32/text.h"

namespace gw::platform {
namespace {

using ProbeFunction = int (*)();

std::wstring fullPath(const std::wstring& path) {
  wchar_t buffer[2048];
  DWORD length = GetFullPathNameW(path.c_str(), 2048, buffer, nullptr);
  return std::wstring(buffer, length);
}

std::string narrow(const std::wstring& wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
  return text;
}

int probeValue(ModuleHandle module) {
  auto probe = reinterpret_cast<ProbeFunction>(findModuleSymbol(module, "gwProbeValue"));
  return probe != nullptr ? probe() : -1;
}

// A fresh folder under the temporary directory, removed with its files at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name;
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const auto& file : files_) DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring copyIn(const std::wstring& source, const std::wstring& name) {
    std::wstring target = path_ + L"\\" + name;
    CopyFileW(fullPath(source).c_str(), target.c_str(), FALSE);
    files_.push_back(target);
    return target;
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

std::wstring wide(const char* text) {
  return win32::widen(text);
}

TEST(ModuleLoader, LoadsByPathAndFindsOnlyExportedFunctions) {
  std::string error;
  ModuleHandle module = loadModule(GW_PROBE_MODULE, error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(probeValue(module), 42);
  EXPECT_EQ(findModuleSymbol(module, "noSuchFunction"), nullptr);
  EXPECT_EQ(findModuleSymbol(nullptr, "gwProbeValue"), nullptr);
  EXPECT_TRUE(isModuleLoaded(GW_PROBE_MODULE));
  unloadModule(module);
  unloadModule(nullptr);
  EXPECT_FALSE(isModuleLoaded(GW_PROBE_MODULE));
  EXPECT_FALSE(isModuleLoaded(""));
}

TEST(ModuleLoader, BareNameMeansTheCurrentFolderNotTheSystemSearch) {
  std::wstring folder = fullPath(wide(GW_PROBE_MODULE));
  folder.resize(folder.find_last_of(L'\\'));
  wchar_t previous[2048];
  GetCurrentDirectoryW(2048, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  std::string error;
  ModuleHandle module = loadModule("gw_win32_probe.dll", error);
  // kernel32.dll is found by the system search but is not in this folder.
  std::string systemError;
  ModuleHandle system = loadModule("kernel32.dll", systemError);
  SetCurrentDirectoryW(previous);

  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(probeValue(module), 42);
  unloadModule(module);
  EXPECT_EQ(system, nullptr);
  EXPECT_NE(systemError.find("kernel32.dll"), std::string::npos) << systemError;
  unloadModule(system);
}

TEST(ModuleLoader, NonAsciiPathsLoad) {
  TempFolder folder(L"gw-m\u00f6dule-\u00e9t\u00e9");
  std::wstring copy = folder.copyIn(wide(GW_PROBE_MODULE), L"pr\u00f6be.dll");
  std::string error;
  ModuleHandle module = loadModule(narrow(copy), error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(probeValue(module), 42);
  unloadModule(module);
}

TEST(ModuleLoader, FindsDependenciesBesideTheModuleAndReportsMissingOnes) {
  std::string error;
  // Built apart from its dependency: loading must fail with a text, not a dialog.
  EXPECT_EQ(loadModule(GW_PROBE_IMPORTER, error), nullptr);
  EXPECT_NE(error.find(GW_PROBE_IMPORTER), std::string::npos) << error;

  TempFolder folder(L"gw-module-with-dependency");
  std::wstring importer = folder.copyIn(wide(GW_PROBE_IMPORTER), L"importer.dll");
  folder.copyIn(wide(GW_PROBE_DEPENDENCY), L"gw_win32_probe_dependency.dll");
  error.clear();
  ModuleHandle module = loadModule(narrow(importer), error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(probeValue(module), 42);
  unloadModule(module);
}

TEST(ModuleLoader, RefusesMissingFilesAndFilesThatAreNotModules) {
  std::string error;
  EXPECT_EQ(loadModule("", error), nullptr);
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_EQ(loadModule("C:\\no\\such\\folder\\module.dll", error), nullptr);
  EXPECT_NE(error.find("module.dll"), std::string::npos) << error;

  TempFolder folder(L"gw-not-a-module");
  std::wstring text = folder.path() + L"\\text.dll";
  std::ofstream(text.c_str()) << "not a module\n";
  error.clear();
  EXPECT_EQ(loadModule(narrow(text), error), nullptr);
  EXPECT_FALSE(error.empty());
  DeleteFileW(text.c_str());
}

}  // namespace
}  // namespace gw::platform
