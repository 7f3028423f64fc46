// The main of every test binary: a fixed non-UTC zone and a fixed "now", so
// that date and time results do not depend on where or when the tests run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  setenv("VELUM_NOW", "2024/05/03 10:20:30", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("VELUM_CLI", VELUM_CLI_PATH, 0);
  setenv("VELUM_SOURCE_DIR", VELUM_SOURCE_DIR, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
