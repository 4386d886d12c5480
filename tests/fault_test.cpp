// Runs that meet a file-system fault: each must say which path failed and why,
// end with status 2, leave no temporary file, and replace no older output
// file.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kLine = "[generale]\nlunghezza percorso, 1000\n[fine]\n";
constexpr const char* kTrain = "[generale]\nvelocita, 0, 80\n[fine]\n";

bool is_root() {
  return ::geteuid() == 0;
}

// Runs a command as an unprivileged user when we are root (root ignores
// permissions), as ourselves otherwise.
std::string as_user(const std::string& command) {
  return is_root() ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + command : command;
}

class Faults : public ::testing::Test {
 protected:
  Faults() {
    std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
    program_ = install_program(dir_.path());
    write_bytes(dir_ / "Prova_linea.txt", kLine);
    write_bytes(dir_ / "Prova_T1-.txt", kTrain);
  }
  std::string compile_to(const std::filesystem::path& out) const {
    return program_ + " compile " + quoted(dir_ / "Prova_linea.txt") + " " +
           quoted(dir_ / "Prova_T1-.txt") + " -o " + quoted(out);
  }

  TempDir dir_;
  std::string program_;
};

// Permissions on Windows are access lists, which Wine does not model, and Wine
// runs only as the owner of its prefix.
constexpr const char* kNoPermissionsUnderWine =
    "Windows build: Wine has no access lists and runs only as its prefix's owner";

TEST_F(Faults, AnUnwritableOutputDirectoryKeepsItsFiles) {
  if (testing_windows_build()) GTEST_SKIP() << kNoPermissionsUnderWine;
  const auto out = dir_ / "out";
  std::filesystem::create_directory(out);
  write_bytes(out / "Prova_T1.dat", "older cells");
  std::filesystem::permissions(out, std::filesystem::perms(0555));
  const ProcessResult result = run_command(as_user(compile_to(out)));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find((out / "Prova_linea.dat").string() + ": Permission denied"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(file_names(out), std::vector<std::string>{"Prova_T1.dat"});
  EXPECT_EQ(read_bytes(out / "Prova_T1.dat"), "older cells");
}

TEST_F(Faults, TheOneShotRunInAnUnwritableDirectorySaysSo) {
  if (testing_windows_build()) GTEST_SKIP() << kNoPermissionsUnderWine;
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0555));
  const ProcessResult result = run_command(as_user("env -u DISPLAY " + program_));
  std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("Vardeo_Lustrella_linea.txt: Permission denied"), std::string::npos)
      << result.err;
}

TEST_F(Faults, AnOutputNameTakenByADirectory) {
  const auto out = dir_ / "out";
  std::filesystem::create_directories(out / "Prova_T1.sim");
  write_bytes(out / "Prova_linea.dat", "older profile");
  const ProcessResult result = run_command(compile_to(out));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find(shown_path(out, "Prova_T1.sim") + ": Is a directory"),
            std::string::npos)
      << result.err;
  // Nothing is replaced, and nothing is left behind.
  EXPECT_EQ(file_names(out), (std::vector<std::string>{"Prova_T1.sim", "Prova_linea.dat"}));
  EXPECT_EQ(read_bytes(out / "Prova_linea.dat"), "older profile");
}

TEST_F(Faults, AFullDiskLeavesTheOlderFilesWhole) {
  if (!is_root()) GTEST_SKIP() << "mounting a small tmpfs needs root; full-disk case not run";
  const auto out = dir_ / "full";
  std::filesystem::create_directory(out);
  if (::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here; full-disk case not run";
  }
  write_bytes(out / "Prova_linea.dat", "older profile");
  write_bytes(out / "Prova_T1.dat", "older cells");
  // The 8000-point profile (about 160 kB) cannot fit in 64 kB.
  const ProcessResult result = run_command(compile_to(out));
  const std::vector<std::string> left = file_names(out);
  const std::string profile = read_bytes(out / "Prova_linea.dat");
  const std::string cells = read_bytes(out / "Prova_T1.dat");
  ::umount(out.c_str());
  EXPECT_EQ(result.status, 2);
  // The system's words: Windows says "There is not enough space on the disk",
  // Wine "Disk full".
  const std::vector<std::string> full =
      testing_windows_build()
          ? std::vector<std::string>{"There is not enough space on the disk", "Disk full"}
          : std::vector<std::string>{"No space left on device"};
  EXPECT_TRUE(std::any_of(full.begin(), full.end(), [&](const std::string& words) {
    return result.err.find(shown_path(out, "Prova_linea.dat") + ": " + words) != std::string::npos;
  })) << result.err;
  EXPECT_EQ(left, (std::vector<std::string>{"Prova_T1.dat", "Prova_linea.dat"}));
  EXPECT_EQ(profile, "older profile");
  EXPECT_EQ(cells, "older cells");
}

}  // namespace
}  // namespace sc::testing
