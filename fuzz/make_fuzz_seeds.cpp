// Writes the fuzz seed corpus from the project's own synthetic tracks:
// make_fuzz_seeds <conversion-dir> <fixed6-dir>. The committed seeds came from it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "track_generator.h"

namespace {

bool writeSeed(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "%s could not be created\n", path.c_str());
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "%s could not be written\n", path.c_str());
    return false;
  }
  return true;
}

std::string doubleBytes(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::string out;
  for (int i = 0; i < 8; ++i) {
    out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <conversion-dir> <fixed6-dir>\n");
    return 2;
  }
  const std::string conversion = std::string(argv[1]) + "/";
  const std::string fixed6 = std::string(argv[2]) + "/";
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();

  const std::vector<TrackPoint> special = {{nan, 1.5},
                                           {1.5, nan},
                                           {inf, 1.5},
                                           {1.5, -inf},
                                           {tiny, -tiny},
                                           {360, 360},
                                           {-360, -360},
                                           {-360, 10},
                                           {10, -360},
                                           {400, 5},
                                           {-0.0, -0.0},
                                           {12.0078125, 0.0000005},
                                           {359.9999995, -176.7796825},
                                           {-77.123456789, 0.0000004},
                                           {0x1p-4, 0x1p-17},
                                           {0x1p-30, -0x1p-31}};

  bool ok = true;
  ok &= writeSeed(conversion + "empty", std::string());
  ok &= writeSeed(conversion + "header_only_204", trackTailBytes(5, {}));
  ok &= writeSeed(conversion + "one_data_byte_205", trackTailBytes(0, {}) + std::string(1, '\x40'));
  ok &= writeSeed(conversion + "count2_two_records", trackTailBytes(2, {{10.5, 20.25}, {400, 5}}));
  ok &= writeSeed(conversion + "count_negative",
                  trackTailBytes(-1, wanderingTrack(3, 7u, -33.9, 151.2)));
  ok &= writeSeed(conversion + "count_max",
                  trackTailBytes(INT32_MAX, wanderingTrack(10, 11u, 64.1, -21.9)));
  ok &= writeSeed(conversion + "nan_inf_subnormal_values",
                  trackTailBytes(static_cast<int32_t>(special.size()), special));
  ok &= writeSeed(conversion + "wandering_40",
                  trackTailBytes(40, wanderingTrack(40, 20090518u, 47.376887, 8.545123)));
  // One record more than the store holds: the overflow path and the 1,365-record limit.
  ok &= writeSeed(conversion + "store_overflow",
                  trackTailBytes(1400, wanderingTrack(1366, 5u, -0.001, 179.99)));

  const double values[] = {12.0078125,    0.0000005, 359.9999995, -176.7796825,
                           -77.123456789, 0.0000004, -0.0,        360.0,
                           -360.0,        0x1p-4,    0x1p-17,     0x1p-30,
                           tiny,          nan,       -inf,        360.00000000000006};
  int index = 0;
  for (double value : values) {
    ok &= writeSeed(fixed6 + "value_" + std::to_string(index++), doubleBytes(value));
  }
  return ok ? 0 : 1;
}
