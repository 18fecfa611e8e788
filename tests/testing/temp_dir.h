#ifndef VINTREL_TESTS_TESTING_TEMP_DIR_H_
#define VINTREL_TESTS_TESTING_TEMP_DIR_H_

#include <optional>
#include <string>

namespace vintrel::testing {

// A fresh folder under $TMPDIR, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;
  // Writes `contents` to a file in the folder and returns its path.
  std::string Write(const std::string& name, const std::string& contents) const;

 private:
  std::string path_;
};

// Reads a whole file; empty text when it cannot be read.
std::string ReadFile(const std::string& path);

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_value_;
};

// Path of a file under tests/fixtures.
std::string FixturePath(const std::string& relative);

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_TEMP_DIR_H_
